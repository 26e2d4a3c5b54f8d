#pragma once

// A sample source of synthetic samples for engine tests and benchmarks:
// canonical frames held in memory per path. Readers copy frames straight
// (the pan delay of real streams is not modelled: pan delay 0 everywhere)
// and log the mixer's reads.

#include "engine/SampleSource.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace bm::engine::test {

struct PanRead {
    std::string path;
    int64_t position = 0;
    int32_t frames = 0;
    int64_t songPosition = 0;
    bool reverse = false;
};

class FakeMemorySample : public MemorySample {
public:
    explicit FakeMemorySample(std::vector<int16_t> samples) : samples(std::move(samples)) {}
    int64_t SizeFrames() const override { return int64_t(samples.size() / 2); }
    std::vector<int16_t> samples;
};

class FakeSampleSource : public SampleSource {
public:
    // Interleaved stereo samples for a path; a length override makes the
    // reader report another length than the frames it holds.
    void Add(const std::string& path, std::vector<int16_t> samples)
    {
        const std::lock_guard lock(m_lock);
        m_samples[path] = std::make_shared<FakeMemorySample>(std::move(samples));
    }
    // Constant frames.
    void AddConstant(const std::string& path, int64_t frames, int16_t left, int16_t right)
    {
        std::vector<int16_t> samples(size_t(frames) * 2);
        for (int64_t i = 0; i < frames; ++i) {
            samples[size_t(i) * 2] = left;
            samples[size_t(i) * 2 + 1] = right;
        }
        Add(path, std::move(samples));
    }
    // Frame i = (base + i, -(base + i)), wrapping in 16 bits.
    void AddRamp(const std::string& path, int64_t frames, int32_t base = 1)
    {
        std::vector<int16_t> samples(size_t(frames) * 2);
        for (int64_t i = 0; i < frames; ++i) {
            samples[size_t(i) * 2] = int16_t(base + i);
            samples[size_t(i) * 2 + 1] = int16_t(-(base + i));
        }
        Add(path, std::move(samples));
    }

    std::unique_ptr<SampleReader> Open(const std::string& path, int64_t span, const SampleRef& key) override;

    int Opens(const std::string& path) const
    {
        const std::lock_guard lock(m_lock);
        auto it = m_opens.find(path);
        return it == m_opens.end() ? 0 : it->second;
    }
    int TotalOpens() const
    {
        const std::lock_guard lock(m_lock);
        int total = 0;
        for (const auto& [path, n] : m_opens)
            total += n;
        return total;
    }
    std::vector<PanRead> panReads;
    bool logReads = true;
    std::vector<int64_t> spans; // span of each open
    std::vector<SampleRef> keys;
    std::string freshRenderPath; // opening this path reports a fresh render

private:
    friend class FakeReader;
    // Tests may add samples while the worker opens others.
    mutable std::mutex m_lock;
    std::map<std::string, std::shared_ptr<FakeMemorySample>> m_samples;
    std::map<std::string, int> m_opens;
};

class FakeReader : public SampleReader {
public:
    FakeReader(FakeSampleSource& source, std::string path, std::shared_ptr<FakeMemorySample> sample, bool fresh)
        : m_source(source), m_path(std::move(path)), m_sample(std::move(sample)), m_fresh(fresh)
    {
    }
    int64_t Length() const override { return m_sample->SizeFrames(); }
    int64_t FullLength() const override { return m_sample->SizeFrames(); }
    int64_t Read(int64_t position, int16_t* out, int32_t frames) override
    {
        std::fill_n(out, size_t(frames) * 2, int16_t(0));
        const int64_t from = std::max<int64_t>(position, 0);
        const int64_t to = std::min<int64_t>(position + frames, Length());
        if (from >= to)
            return 0;
        std::copy_n(m_sample->samples.data() + size_t(from) * 2, size_t(to - from) * 2, out + size_t(from - position) * 2);
        return to - from;
    }
    void ReadWithPanDelay(int64_t position, int16_t* out, int32_t frames, int64_t songPosition, const EnvelopeNodes&,
                          bool reverse) override
    {
        if (m_source.logReads)
            m_source.panReads.push_back({m_path, position, frames, songPosition, reverse});
        Read(position, out, frames);
    }
    std::shared_ptr<const MemorySample> CopyIntoMemory() override { return m_sample; }
    bool FreshRender() const override { return m_fresh; }

private:
    FakeSampleSource& m_source;
    std::string m_path;
    std::shared_ptr<FakeMemorySample> m_sample;
    bool m_fresh;
};

inline std::unique_ptr<SampleReader> FakeSampleSource::Open(const std::string& path, int64_t span, const SampleRef& key)
{
    std::shared_ptr<FakeMemorySample> sample;
    {
        const std::lock_guard lock(m_lock);
        ++m_opens[path];
        spans.push_back(span);
        keys.push_back(key);
        auto it = m_samples.find(path);
        if (it == m_samples.end())
            return nullptr;
        sample = it->second;
    }
    return std::make_unique<FakeReader>(*this, path, std::move(sample), path == freshRenderPath);
}

} // namespace bm::engine::test
