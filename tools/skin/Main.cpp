// bm-make-skin: draws the program's look and writes it into a program folder:
// Brickmelody.wad (skin, control strips, fonts, menus, texts, splash sound),
// the help pages below HTMLHelp/ and the previews skin-preview.png and
// skin-preview@2x.png. The same inputs give the same bytes on every run.
//
//     bm-make-skin PROGRAM_FOLDER --assets ASSET_FOLDER [--fonts FONT_FOLDER]
//
// The asset folder holds the texts that are packed as they are (hints.dat,
// note_order.dat, menus/*.res, dialogs/*.res) and the help pages (help/);
// the font folder holds the DejaVu faces the art and the fonts are drawn with.

#include "Art.h"
#include "Fonts.h"
#include "Help.h"
#include "Png.h"
#include "Preview.h"
#include "Skin.h"

#include "ui/skin/ResourceArchive.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace bm::art {

namespace {

namespace fs = std::filesystem;

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file.flush());
}

bool ReadBytes(const fs::path& path, std::vector<uint8_t>& bytes)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

// The texts of the assets, in a fixed order: the string table, the note
// order list, then the menus and the dialog text lists by name.
bool AddTexts(Output& out, const fs::path& assets, std::string& failure)
{
    std::vector<uint8_t> bytes;
    for (const char* name : {"hints.dat", "note_order.dat"}) {
        if (!ReadBytes(assets / name, bytes)) {
            failure = (assets / name).string() + ": cannot be read";
            return false;
        }
        out.Bytes(name, bytes);
    }
    for (const char* folder : {"menus", "dialogs"}) {
        std::vector<fs::path> files;
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(assets / folder, ec))
            if (e.is_regular_file() && e.path().extension() == ".res")
                files.push_back(e.path());
        if (ec || files.empty()) {
            failure = (assets / folder).string() + ": no .res files there";
            return false;
        }
        std::sort(files.begin(), files.end());
        for (const fs::path& f : files) {
            if (!ReadBytes(f, bytes)) {
                failure = f.string() + ": cannot be read";
                return false;
            }
            out.Bytes(f.filename().string(), bytes);
        }
    }
    return true;
}

// Writes the archive under a temporary name and renames it into place, so a
// failed run never leaves a half-written archive under the program's name.
bool WriteArchive(const Output& out, const std::string& path, std::string& failure)
{
    const std::string part = path + ".part";
    const fs::path staging = path + ".entries";
    std::error_code ec;
    fs::remove(part, ec);
    fs::remove_all(staging, ec);
    fs::create_directories(staging, ec);
    if (ec) {
        failure = staging.string() + ": " + ec.message();
        return false;
    }
    bool ok = true;
    {
        ResourceArchive archive(ResourceArchive::kResourceMagic);
        Error error;
        ok = archive.Open(part, ArchiveAccess::ReadWrite, &error);
        for (size_t i = 0; ok && i < out.Entries().size(); ++i) {
            const Entry& e = out.Entries()[i];
            const std::string file = (staging / std::to_string(i)).string();
            ok = WriteBytes(file, e.bytes) && archive.AddFile(e.name, file, &error);
        }
        if (!ok)
            failure = part + ": " + error.message;
        archive.Close();
    }
    fs::remove_all(staging, ec);
    if (ok) {
        fs::rename(part, path, ec);
        if (ec) {
            failure = path + ": " + ec.message();
            ok = false;
        }
    }
    if (!ok)
        fs::remove(part, ec);
    return ok;
}

int Run(int argc, char** argv)
{
    std::string folder, assets, fonts = "/usr/share/fonts/truetype/dejavu/";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--assets" || arg == "--fonts") && i + 1 < argc)
            (arg == "--assets" ? assets : fonts) = argv[++i];
        else if (folder.empty() && arg.rfind("--", 0) != 0)
            folder = arg;
        else {
            std::fprintf(stderr, "usage: bm-make-skin PROGRAM_FOLDER --assets ASSET_FOLDER [--fonts FONT_FOLDER]\n");
            return 2;
        }
    }
    if (folder.empty() || assets.empty()) {
        std::fprintf(stderr, "usage: bm-make-skin PROGRAM_FOLDER --assets ASSET_FOLDER [--fonts FONT_FOLDER]\n");
        return 2;
    }
    if (folder.back() != '/')
        folder += '/';
    if (fonts.back() != '/')
        fonts += '/';
    const auto started = std::chrono::steady_clock::now();
    auto fail = [](const std::string& why) {
        std::fprintf(stderr, "bm-make-skin: %s\n", why.c_str());
        return 1;
    };

    Faces faces;
    if (!faces.Load(fonts))
        return fail(fonts + ": the DejaVu faces (fonts-dejavu-core) are not all there");
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec)
        return fail(folder + ": " + ec.message());

    // The texts first: a wrong asset folder fails before any drawing.
    Output texts;
    std::string failure;
    if (!AddTexts(texts, assets, failure))
        return fail(failure);

    Output out;
    const Image skin = DrawSkin(faces);
    MakeSkinEntries(out, skin, faces);
    MakeStrips(out, skin, faces);
    FontSet fontSet;
    if (!MakeFonts(out, faces, fontSet, failure))
        return fail(failure);
    MakeMenuArt(out, faces);
    MakeToolWindows(out, faces);
    MakeSplash(out, faces);
    out.Bytes("splash.wav", MakeChime());
    for (const Entry& e : texts.Entries())
        out.Bytes(e.name, e.bytes);
    if (!WriteArchive(out, folder + "Brickmelody.wad", failure))
        return fail(failure);

    const Image preview = ComposePreview(out, fontSet);
    const Image doubled = preview.Scaled(2);
    if (!WriteBytes(folder + "skin-preview.png", MakePng(preview.ToRgb(), preview.Width(), preview.Height())) ||
        !WriteBytes(folder + "skin-preview@2x.png", MakePng(doubled.ToRgb(), doubled.Width(), doubled.Height())))
        return fail(folder + "skin-preview.png: cannot be written");
    if (!WriteHelp(assets, folder + "HTMLHelp/", out, preview, failure))
        return fail(failure);

    // For looking at the art: every picture as a PNG, transparent pixels magenta.
    if (const char* dump = std::getenv("BM_SKIN_DUMP")) {
        fs::create_directories(dump, ec);
        for (const auto& [name, picture] : out.Pictures()) {
            Image shown(picture.Width(), picture.Height(), Hex(0xFF00FF), 1.0f);
            for (int32_t y = 0; y < picture.Height(); ++y)
                for (int32_t x = 0; x < picture.Width(); ++x)
                    if (picture.Alpha(x, y) >= 0.5f)
                        shown.At(x, y) = picture.At(x, y);
            WriteBytes(std::string(dump) + "/" + name + ".png", MakePng(shown.ToRgb(), shown.Width(), shown.Height()));
        }
        for (const Entry& e : texts.Entries())
            if (e.name.find("_menu.res") != std::string::npos) {
                const Image menu = ComposeMenu(out, fontSet, std::string_view(reinterpret_cast<const char*>(e.bytes.data()), e.bytes.size()), 2);
                const Image big = menu.Scaled(2);
                WriteBytes(std::string(dump) + "/menu-" + e.name + ".png", MakePng(big.ToRgb(), big.Width(), big.Height()));
            }
    }

    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("bm-make-skin: %zu entries, %lld bytes in %sBrickmelody.wad, help and previews, in %.2f s\n",
                out.Entries().size(), static_cast<long long>(fs::file_size(folder + "Brickmelody.wad", ec)),
                folder.c_str(), seconds);
    return 0;
}

} // namespace

} // namespace bm::art

int main(int argc, char** argv) { return bm::art::Run(argc, argv); }
