#include "engine/dsp/Fft.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace bm::dsp {

bool Fft::Prepare(size_t size)
{
    m_size = 0;
    m_reversed.clear();
    m_cos.clear();
    m_sin.clear();
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
    m_cos.resize(size / 2);
    m_sin.resize(size / 2);
    for (size_t k = 0; k < size / 2; ++k) {
        const double angle = -2.0 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(size);
        m_cos[k] = std::cos(angle);
        m_sin[k] = std::sin(angle);
    }
    m_size = size;
    return true;
}

void Fft::Forward(std::span<double> re, std::span<double> im) const noexcept
{
    if (m_size == 0 || re.size() != m_size || im.size() != m_size)
        return;
    for (size_t i = 0; i < m_size; ++i) {
        const size_t r = m_reversed[i];
        if (r > i) {
            std::swap(re[i], re[r]);
            std::swap(im[i], im[r]);
        }
    }
    double* xr = re.data();
    double* xi = im.data();
    for (size_t half = 1; half < m_size; half *= 2) {
        const size_t stride = m_size / (2 * half); // twiddle step for this span
        for (size_t start = 0; start < m_size; start += 2 * half) {
            double* ar = xr + start;
            double* ai = xi + start;
            double* br = ar + half;
            double* bi = ai + half;
            for (size_t j = 0; j < half; ++j) {
                const double wr = m_cos[j * stride], wi = m_sin[j * stride];
                const double tr = wr * br[j] - wi * bi[j];
                const double ti = wr * bi[j] + wi * br[j];
                br[j] = ar[j] - tr;
                bi[j] = ai[j] - ti;
                ar[j] += tr;
                ai[j] += ti;
            }
        }
    }
}

} // namespace bm::dsp
