// wad list | add | extract | remove | cat: the resource archive and song
// package container from the command line.

#include "cli/Cli.h"
#include "cli/Json.h"

#include "core/Paths.h"
#include "ui/skin/ResourceArchive.h"

#include <ostream>

namespace bm::cli {

namespace {

const std::vector<std::string> kValueOptions{"magic"};

// Opens the archive named by the first argument with the magic of --magic
// (default "WADn"). Returns an exit status other than kExitOk on failure.
int OpenArchive(Invocation& in, ResourceArchive& archive, ArchiveAccess access)
{
    std::string magic(ResourceArchive::kResourceMagic);
    if (auto value = in.Value("magic")) {
        if (*value != ResourceArchive::kResourceMagic && *value != ResourceArchive::kPackageMagic)
            return in.Usage("--magic must be WADn or WCPn");
        magic = *value;
    }
    archive.SetMagic(magic);
    Error error;
    if (!archive.Open(in.Arg(0), access, &error)) {
        if (error.where == 0)
            error.message += " (--magic WADn for the resource archive, WCPn for a song package)";
        return in.Failed(error.message);
    }
    return kExitOk;
}

void EntryJson(JsonWriter& json, const ArchiveEntry& entry)
{
    json.Field("name", entry.Name());
    json.Field("size", entry.size);
    json.Field("offset", entry.offset);
}

int RunWadList(Invocation& in)
{
    if (!in.Expect(1, 1, {}, kValueOptions))
        return kExitUsage;
    ResourceArchive archive;
    if (int status = OpenArchive(in, archive, ArchiveAccess::ReadOnly); status != kExitOk)
        return status;
    if (in.Json()) {
        JsonWriter json;
        json.BeginObject();
        json.Field("magic", archive.Magic());
        json.Field("total_length", archive.TotalLength());
        json.Field("directory_offset", archive.DataEnd());
        json.Key("entries");
        json.BeginArray();
        for (const ArchiveEntry& entry : archive.Entries()) {
            json.BeginObject();
            EntryJson(json, entry);
            json.EndObject();
        }
        json.EndArray();
        json.EndObject();
        in.Out() << json.Text() << '\n';
        return kExitOk;
    }
    // Tab-separated: names may hold blanks.
    for (const ArchiveEntry& entry : archive.Entries())
        in.Out() << entry.Name() << '\t' << entry.size << '\t' << entry.offset << '\n';
    return kExitOk;
}

int RunWadAdd(Invocation& in)
{
    if (!in.Expect(3, 3, {}, kValueOptions))
        return kExitUsage;
    if (in.ReplacesInput(in.Arg(2), in.Arg(0)))
        return kExitFailed;
    ResourceArchive archive;
    if (int status = OpenArchive(in, archive, ArchiveAccess::ReadWrite); status != kExitOk)
        return status;
    Error error;
    if (!archive.AddFile(in.Arg(1), in.Arg(2), &error))
        return in.Failed(error.message);
    // The new entry is always the last one; its name may have been cut.
    const ArchiveEntry& entry = archive.Entries().back();
    if (in.Json()) {
        JsonWriter json;
        json.BeginObject();
        EntryJson(json, entry);
        json.EndObject();
        in.Out() << json.Text() << '\n';
    } else {
        in.Out() << "added \"" << entry.Name() << "\", " << entry.size << " bytes\n";
    }
    return kExitOk;
}

int RunWadExtract(Invocation& in)
{
    if (!in.Expect(3, 3, {}, kValueOptions))
        return kExitUsage;
    ResourceArchive archive;
    if (int status = OpenArchive(in, archive, ArchiveAccess::ReadOnly); status != kExitOk)
        return status;
    int index = archive.FindEntry(in.Arg(1));
    if (index < 0)
        return in.Failed("no entry \"" + in.Arg(1) + "\" in " + in.Arg(0));
    const ArchiveEntry& entry = archive.Entries()[static_cast<size_t>(index)];

    // An existing folder counts as a folder even without its final '/'.
    std::string destination = in.Arg(2);
    if (FolderExists(destination))
        destination = AsFolder(destination);
    std::string target = MakeAbsolute(destination);
    if (FileNamePart(target).empty())
        target += entry.Name();
    if (in.ReplacesInput(in.Arg(0), target))
        return kExitFailed;
    Error error;
    if (!archive.ExtractEntry(in.Arg(1), destination, &error))
        return in.Failed(error.message);
    if (in.Json()) {
        JsonWriter json;
        json.BeginObject();
        EntryJson(json, entry);
        json.Field("path", target);
        json.EndObject();
        in.Out() << json.Text() << '\n';
    } else {
        in.Out() << "extracted \"" << entry.Name() << "\" to " << target << '\n';
    }
    return kExitOk;
}

int RunWadRemove(Invocation& in)
{
    if (!in.Expect(2, 2, {}, kValueOptions))
        return kExitUsage;
    // Opening for writing would create a missing archive; removing from
    // nothing should not leave one behind.
    if (!FileExists(in.Arg(0)))
        return in.Failed("cannot open " + in.Arg(0) + ": no such file");
    ResourceArchive archive;
    if (int status = OpenArchive(in, archive, ArchiveAccess::ReadWrite); status != kExitOk)
        return status;
    Error error;
    if (!archive.RemoveEntry(in.Arg(1), &error))
        return in.Failed(error.message);
    if (in.Json()) {
        JsonWriter json;
        json.BeginObject();
        json.Field("removed", in.Arg(1));
        json.Field("entries", static_cast<int64_t>(archive.Entries().size()));
        json.Field("total_length", archive.TotalLength());
        json.EndObject();
        in.Out() << json.Text() << '\n';
    }
    return kExitOk;
}

int RunWadCat(Invocation& in)
{
    if (!in.Expect(2, 2, {}, kValueOptions))
        return kExitUsage;
    if (in.Json())
        return in.Usage("--json does not apply: the entry's bytes go to standard output");
    ResourceArchive archive;
    if (int status = OpenArchive(in, archive, ArchiveAccess::ReadOnly); status != kExitOk)
        return status;
    std::string data;
    if (archive.FindEntry(in.Arg(1)) < 0)
        return in.Failed("no entry \"" + in.Arg(1) + "\" in " + in.Arg(0));
    if (!archive.ReadWholeEntry(in.Arg(1), data))
        return in.Failed("cannot read \"" + in.Arg(1) + "\" from " + in.Arg(0));
    in.Out().write(data.data(), static_cast<std::streamsize>(data.size()));
    in.Out().flush();
    if (!in.Out())
        return in.Failed("cannot write to standard output");
    return kExitOk;
}

const Registrar kWadList{{"wad list", "ARCHIVE [--magic WADn|WCPn] [--json]",
                          "Lists the entries of an archive: name, size and offset.", RunWadList}};
const Registrar kWadAdd{{"wad add", "ARCHIVE ENTRY FILE [--magic WADn|WCPn] [--json]",
                         "Adds FILE as ENTRY (replacing an entry of that name); creates the archive when missing.",
                         RunWadAdd}};
const Registrar kWadExtract{{"wad extract", "ARCHIVE ENTRY DEST [--magic WADn|WCPn] [--json]",
                             "Writes ENTRY to the file DEST, or into the folder DEST under its own name.",
                             RunWadExtract}};
const Registrar kWadRemove{{"wad remove", "ARCHIVE ENTRY [--magic WADn|WCPn] [--json]",
                            "Removes ENTRY and closes its gap.", RunWadRemove}};
const Registrar kWadCat{{"wad cat", "ARCHIVE ENTRY [--magic WADn|WCPn]",
                         "Writes the bytes of ENTRY to standard output.", RunWadCat}};

} // namespace

} // namespace bm::cli
