#include "Help.h"

#include "Png.h"

#include "ui/main/Layout.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

namespace bm::art {

namespace {

namespace fs = std::filesystem;
using namespace bm::layout;

bool Write(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file.flush());
}

bool WritePicture(const std::string& path, const Image& img)
{
    return Write(path, MakePng(img.ToRgb(), img.Width(), img.Height()));
}

// A picture on the page's own background (for windows with a shaped outline).
Image OnPage(const Image& img)
{
    Image page(img.Width(), img.Height(), Hex(0x1B1E23), 1.0f);
    page.Composite(img, 0, 0);
    return page;
}

} // namespace

bool WriteHelp(const std::string& assetFolder, const std::string& folder, const Output& out, const Image& preview,
               std::string& failure)
{
    std::error_code ec;
    const fs::path source = fs::path(assetFolder) / "help";
    if (!fs::is_directory(source, ec)) {
        failure = source.string() + ": no help pages there";
        return false;
    }
    fs::remove_all(folder, ec);
    fs::create_directories(fs::path(folder) / "images", ec);
    if (ec) {
        failure = folder + ": " + ec.message();
        return false;
    }
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(source, ec))
        if (e.is_regular_file())
            files.push_back(e.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& f : files)
        if (!fs::copy_file(f, fs::path(folder) / f.filename(), fs::copy_options::overwrite_existing, ec)) {
            failure = f.string() + ": " + ec.message();
            return false;
        }

    struct Shot {
        const char* name;
        Rect rect;
    };
    const Shot shots[] = {
        {"window.png", {0, 0, kWindowWidth - 1, kWindowHeight - 1}},
        {"arrangement.png", {0, 28, 799, 345}},
        {"library.png", {8, 344, 516, 599}},
        {"transport.png", {440, 340, 790, 372}},
        {"master.png", {516, 372, 790, 599}},
        {"topbar.png", {0, 0, 799, 30}},
    };
    for (const Shot& s : shots)
        if (!WritePicture(folder + "images/" + s.name, preview.Crop(s.rect))) {
            failure = folder + "images/" + s.name + ": cannot be written";
            return false;
        }
    // The small windows with their buttons in the normal look.
    struct Small {
        std::string_view skin;
        std::vector<std::pair<std::string_view, Rect>> buttons;
        const char* name;
    };
    const Small windows[] = {
        {kZoomWindow.skin, {{kZoomWindow.lessStrip, kZoomWindow.less}, {kZoomWindow.moreStrip, kZoomWindow.more}}, "zoom.png"},
        {kMeasureWindow.skin,
         {{kMeasureWindow.lessStrip, kMeasureWindow.less}, {kMeasureWindow.moreStrip, kMeasureWindow.more}},
         "measure.png"},
        {kSplashSkin, {{kSplashButtonStrip, kSplashButton}}, "splash.png"},
    };
    for (const Small& w : windows) {
        const Image* face = out.Find(w.skin);
        if (!face)
            continue;
        Image shown = *face;
        for (const auto& [strip, rect] : w.buttons)
            if (const Image* cells = out.Find(strip))
                shown.Composite(cells->Crop({rect.Width(), 0, 2 * rect.Width() - 1, rect.Height() - 1}), rect.left, rect.top);
        if (!WritePicture(folder + "images/" + w.name, OnPage(shown))) {
            failure = std::string(w.name) + ": cannot be written";
            return false;
        }
    }
    return true;
}

} // namespace bm::art
