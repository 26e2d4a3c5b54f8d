#include "engine/dsp/Fft.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace bm::dsp {

bool Fft::Prepare(size_t size)
{
    m_size = 0;
    m_reversed.clear();
    m_twiddle.clear();
    if (size < 2 || size > (size_t(1) << 20) || (size & (size - 1)) != 0)
        return false;
    int bits = 0;
    while ((size_t(1) << bits) < size)
        ++bits;
    m_reversed.resize(size);
    for (size_t i = 0; i < size; ++i) {
        size_t r = 0;
        for (int b = 0; b < bits; ++b)
            r |= ((i >> b) & 1) << (bits - 1 - b);
        m_reversed[i] = r;
    }
    m_twiddle.resize(size / 2);
    for (size_t k = 0; k < size / 2; ++k) {
        const double angle = -2.0 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(size);
        m_twiddle[k] = {std::cos(angle), std::sin(angle)};
    }
    m_size = size;
    return true;
}

void Fft::Forward(std::span<std::complex<double>> data) const noexcept
{
    if (m_size == 0 || data.size() != m_size)
        return;
    for (size_t i = 0; i < m_size; ++i) {
        const size_t r = m_reversed[i];
        if (r > i)
            std::swap(data[i], data[r]);
    }
    for (size_t half = 1; half < m_size; half *= 2) {
        const size_t stride = m_size / (2 * half); // twiddle step for this span
        for (size_t start = 0; start < m_size; start += 2 * half) {
            for (size_t j = 0; j < half; ++j) {
                const std::complex<double> w = m_twiddle[j * stride];
                const std::complex<double> a = data[start + j];
                const std::complex<double> b = data[start + j + half];
                // Written out: std::complex multiplication checks for
                // infinities, which the butterflies never meet.
                const std::complex<double> wb{w.real() * b.real() - w.imag() * b.imag(),
                                              w.real() * b.imag() + w.imag() * b.real()};
                data[start + j] = a + wb;
                data[start + j + half] = a - wb;
            }
        }
    }
}

} // namespace bm::dsp
