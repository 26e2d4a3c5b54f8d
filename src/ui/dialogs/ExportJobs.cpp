#include "ui/dialogs/ExportJobs.h"

#include "core/Paths.h"
#include "core/Text.h"
#include "song/ExportRange.h"

namespace bm::dialogs {

namespace {

bool EndsWithIgnoreCase(const std::string& text, std::string_view suffix)
{
    return text.size() >= suffix.size() && EqualsIgnoreCase(std::string_view(text).substr(text.size() - suffix.size()), suffix);
}

} // namespace

std::string ProposeExportName(const std::string& documentPath)
{
    for (std::string_view extension : {".ncp", ".wcp"}) {
        if (EndsWithIgnoreCase(documentPath, extension))
            return documentPath.substr(0, documentPath.size() - 4) + ".wav";
    }
    if (!documentPath.empty() && documentPath.back() == '.')
        return documentPath + "wav";
    if (EndsWithIgnoreCase(documentPath, ".wav"))
        return documentPath;
    return documentPath + ".wav";
}

int64_t ExportFileBytes(int64_t frames) { return frames * 4 + 44; }

ExportRequest MakeExportRequest(const Song& song, const std::string& documentPath, const std::string& programFolder)
{
    ExportRequest request;
    request.proposedName = ProposeExportName(documentPath);
    request.programFolder = programFolder;
    const int64_t measure = song.samplesPerMeasure;
    request.wholeSongBytes = ExportFileBytes(int64_t(song.measures.size()) * measure);
    const ExportRange regions = MakeExportRange(song, ExportScope::ActiveRegions);
    request.regionsBytes = ExportFileBytes(int64_t(regions.count) * measure);
    request.regionsAvailable = regions.count > 0;
    return request;
}

engine::ExportJob BuildExportJob(const ExportChoice& choice, const Song& song)
{
    engine::ExportJob job;
    std::string path = choice.fileName;
    if (FileNamePart(path).find('.') == std::string::npos)
        path += ".wav";
    job.outputPath = path;
    job.optionValue = choice.normalise ? 1 : 0;
    job.fadeIn = choice.fadeIn ? 1 : 0;
    job.fadeOut = choice.fadeOut ? 1 : 0;
    job.level = choice.level;
    const ExportRange range =
        MakeExportRange(song, choice.regionsOnly ? ExportScope::ActiveRegions : ExportScope::WholeSong);
    job.firstMeasure = range.firstMeasure;
    job.count = range.count;
    job.jumps = range.jumps;
    return job;
}

} // namespace bm::dialogs
