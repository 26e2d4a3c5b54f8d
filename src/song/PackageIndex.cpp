#include "song/PackageIndex.h"

#include "core/Paths.h"
#include "core/Text.h"
#include "ui/skin/ResourceArchive.h"

namespace bm {

namespace {

constexpr size_t kRequiredFields = 9;
constexpr size_t kFields = 11;

enum class FieldState { Present, Missing, Unterminated };

// The text between the next double quote from `pos` and the one after it.
FieldState NextField(std::string_view line, size_t& pos, std::string& field)
{
    size_t open = line.find('"', pos);
    if (open == std::string_view::npos)
        return FieldState::Missing;
    size_t close = line.find('"', open + 1);
    if (close == std::string_view::npos)
        return FieldState::Unterminated;
    field.assign(line.substr(open + 1, close - open - 1));
    pos = close + 1;
    return FieldState::Present;
}

void AppendField(std::string& out, std::string_view field, bool last)
{
    out.push_back('"');
    out.append(field);
    out.push_back('"');
    if (!last)
        out.append("  ");
}

bool Refuse(Error* error, int64_t line, const std::string& why)
{
    return Fail(error, "wcp.inf line " + std::to_string(line) + ": " + why, line);
}

} // namespace

std::string PackageSample::FileName() const { return FileNamePart(texts.path); }

std::string FormatPackageSample(const PackageSample& sample)
{
    std::string out;
    AppendField(out, sample.entryName, false);
    for (const std::string* field : {&sample.texts.style, &sample.texts.group, &sample.texts.part, &sample.texts.chord,
                                     &sample.texts.first, &sample.texts.second, &sample.texts.path,
                                     &sample.texts.fourth})
        AppendField(out, *field, false);
    AppendField(out, std::to_string(sample.nominalLength), false);
    AppendField(out, std::to_string(sample.kind), true);
    out.append("\r\n");
    return out;
}

bool ParsePackageIndex(std::string_view text, std::vector<PackageSample>& samples, Error* error)
{
    samples.clear();
    if (text.size() > static_cast<size_t>(kMaxPackageIndexBytes))
        return Fail(error, "wcp.inf is too large to be a sample index");
    if (text.find('\0') != std::string_view::npos)
        return Fail(error, "wcp.inf holds a zero byte; it is not a text file");

    std::vector<PackageSample> read;
    LineReader lines(text);
    std::string_view line;
    while (lines.Next(line)) {
        if (line.front() != '"')
            continue;
        const int64_t number = lines.LineNumber();
        std::string fields[kFields];
        size_t pos = 0;
        size_t count = 0;
        for (; count < kFields; ++count) {
            FieldState state = NextField(line, pos, fields[count]);
            if (state == FieldState::Unterminated)
                return Refuse(error, number, "field " + std::to_string(count + 1) + " has no closing quote");
            if (state == FieldState::Missing)
                break;
        }
        if (count < kRequiredFields)
            return Refuse(error, number, "a sample line needs at least 9 fields, it has " + std::to_string(count));

        PackageSample sample;
        sample.entryName = std::move(fields[0]);
        sample.texts = SlotTexts{std::move(fields[1]), std::move(fields[2]), std::move(fields[3]),
                                 std::move(fields[4]), std::move(fields[5]), std::move(fields[6]),
                                 std::move(fields[7]), std::move(fields[8])};
        if (count > 9)
            sample.nominalLength = ParseDecimal(fields[9]);
        if (count > 10)
            sample.kind = ParseDecimal(fields[10]);

        if (!ResourceArchive::IsPlainFileName(sample.entryName))
            return Refuse(error, number, "the entry name \"" + sample.entryName + "\" is not a plain file name");
        if (sample.texts.first.empty())
            return Refuse(error, number, "the sample has no name (field 6 is empty)");
        const std::string fileName = sample.FileName();
        if (!ResourceArchive::IsPlainFileName(fileName))
            return Refuse(error, number, "the sample's file name \"" + fileName + "\" is not a plain file name");
        read.push_back(std::move(sample));
    }
    samples = std::move(read);
    return true;
}

} // namespace bm
