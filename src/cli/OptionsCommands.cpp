// options show: the settings as the program would read them from the program
// folder's options file, or the defaults when there is none. Looking changes
// nothing: no file is written and no folder is created.

#include "cli/Cli.h"
#include "cli/Json.h"

#include "app/OptionsFile.h"
#include "core/Paths.h"

#include <cstdio>
#include <ostream>
#include <variant>

namespace bm::cli {

namespace {

using app::OptionsFile;

struct OptionLine {
    const char* name;
    std::variant<std::string OptionsFile::*, int32_t OptionsFile::*> member;
};

// The 23 value lines in file order.
const OptionLine kLines[] = {
    {"kept_text", &OptionsFile::keptText},
    {"window_animation", &OptionsFile::windowAnimation},
    {"lamps_animation", &OptionsFile::lampsAnimation},
    {"active_borders", &OptionsFile::activeBorders},
    {"smart_mode", &OptionsFile::smartMode},
    {"button_hints", &OptionsFile::buttonHints},
    {"sample_hints", &OptionsFile::sampleHints},
    {"moveless_hints", &OptionsFile::movelessHints},
    {"spectrum_analyzer", &OptionsFile::spectrumAnalyzer},
    {"temporary_folder", &OptionsFile::temporaryFolder},
    {"disk_cache_megabytes", &OptionsFile::diskCacheMegabytes},
    {"memory_cache_bytes", &OptionsFile::memoryCacheBytes},
    {"time_format", &OptionsFile::timeFormat},
    {"follow", &OptionsFile::followFlag},
    {"smooth_follow", &OptionsFile::smoothFlag},
    {"show_splash", &OptionsFile::showSplash},
    {"open_at_start", &OptionsFile::openAtStart},
    {"samples_per_measure", &OptionsFile::samplesPerMeasure},
    {"measures_per_bar", &OptionsFile::measuresPerBar},
    {"file_dialog_folder", &OptionsFile::fileDialogFolder},
    {"user_folder", &OptionsFile::userFolder},
    {"start_song", &OptionsFile::startSong},
    {"last_news_headline", &OptionsFile::lastNewsHeadline},
};
static_assert(std::size(kLines) == app::kOptionsValueLines);

int RunOptionsShow(Invocation& in)
{
    if (!in.Expect(0, 0, {}, {}))
        return kExitUsage;
    const std::string folder = in.ProgramFolder();
    OptionsFile options;
    // The program reads the file after setting the temporary folder to the
    // program folder; a short file leaves it there.
    options.temporaryFolder = folder;
    FolderList folders;
    const bool fromFile = app::ReadOptionsFile(folder, options, folders, app::ProbeMachine(),
                                               app::FolderCreation::Skip) == app::OptionsSource::File;
    const std::vector<std::string> saved = app::SavedFolders(folders.Snapshot());

    if (in.Json()) {
        JsonWriter json;
        json.BeginObject();
        json.Field("options_file", app::OptionsFilePath(folder));
        json.Field("from_file", fromFile);
        for (const OptionLine& line : kLines) {
            if (auto text = std::get_if<std::string OptionsFile::*>(&line.member))
                json.Field(line.name, options.*(*text));
            else
                json.Field(line.name, options.*std::get<int32_t OptionsFile::*>(line.member));
        }
        json.Key("folders");
        json.BeginArray();
        for (const auto& entry : saved)
            json.String(entry);
        json.EndArray();
        json.EndObject();
        in.Out() << json.Text() << '\n';
        return kExitOk;
    }

    in.Out() << "options file: " << app::OptionsFilePath(folder)
             << (fromFile ? "\n" : " (missing: the defaults are shown)\n");
    int number = 1;
    for (const OptionLine& line : kLines) {
        char head[48];
        std::snprintf(head, sizeof head, "%2d  %-22s", number++, line.name);
        in.Out() << head;
        if (auto text = std::get_if<std::string OptionsFile::*>(&line.member))
            in.Out() << options.*(*text) << '\n';
        else
            in.Out() << options.*std::get<int32_t OptionsFile::*>(line.member) << '\n';
    }
    in.Out() << "folders:\n";
    for (const auto& entry : saved)
        in.Out() << "    " << entry << '\n';
    return kExitOk;
}

const Registrar kOptionsShow{{"options show", "[--json]",
                              "Shows the settings of the program folder's options file (the defaults when missing).",
                              RunOptionsShow}};

} // namespace

} // namespace bm::cli
