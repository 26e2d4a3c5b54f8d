#pragma once

// In-place radix-2 complex FFT (decimation in time: the input is put in
// bit-reversed order, then butterflies of growing span), forward direction,
// unscaled. Two phases: Prepare() builds the tables for one size; Forward()
// never allocates.
//
// Thread: any one thread at a time per object.

#include <cstddef>
#include <span>
#include <vector>

namespace bm::dsp {

class Fft {
public:
    // Size must be a power of two from 2 to 2^20; false otherwise.
    bool Prepare(size_t size);
    size_t Size() const { return m_size; }

    // X(k) = sum over n of x(n) e^(-2 pi i k n / N), in place, with the
    // real and imaginary parts in separate arrays (which the compiler can
    // vectorise). Both must hold Size() values; otherwise nothing happens.
    void Forward(std::span<double> re, std::span<double> im) const noexcept;

private:
    size_t m_size = 0;
    std::vector<size_t> m_reversed; // bit-reversed index of each index
    std::vector<double> m_cos;      // cos(-2 pi k / N), k < N / 2
    std::vector<double> m_sin;      // sin(-2 pi k / N)
};

} // namespace bm::dsp
