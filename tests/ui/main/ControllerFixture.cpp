#include "ControllerFixture.h"

#include "core/Paths.h"
#include "song/MeasureEditing.h"

#include <filesystem>

namespace bm::ui::test {

SampleLibrary MakeLibrary()
{
    SampleLibrary lib;
    LibraryStyle style;
    style.name = "Beats";
    style.valueA = 20352;
    LibraryGroup group;
    group.name = "Drums";
    for (int p = 0; p < 2; ++p) {
        LibraryPart part;
        part.name = p == 0 ? "Shipped" : "Mine";
        part.factory = p == 0 ? 1 : 0;
        LibraryChord chord;
        chord.name = "C";
        chord.folder = "Drums/C/";
        for (int e = 0; e < 2; ++e) {
            LibraryEntry entry;
            for (int v = 0; v < 6; v += 2) {
                SampleDescriptor& d = entry.variants[v];
                d.firstText = "loop" + std::to_string(p) + std::to_string(e) + std::to_string(v);
                d.path = "/samples/" + d.firstText + ".wav";
                d.length = 40000;
            }
            chord.entries.push_back(entry);
        }
        chord.entries.emplace_back();
        part.chords.push_back(chord);
        group.parts.push_back(part);
    }
    style.groups.push_back(group);
    LibraryGroup second;
    second.name = "Bass";
    style.groups.push_back(second);
    lib.styles.push_back(style);
    lib.selection = {0, 0, 1, 0, 0};
    return lib;
}

ControllerTest::ControllerTest()
{
    app.SetProgramPath(dir.Path() + "brickmelody");
    app.options.temporaryFolder = dir.Path() + "TEMP/";
    app.options.userFolder = dir.Path() + "USERDATA/";
    app.options.followFlag = 1;
    std::filesystem::create_directories(app.options.temporaryFolder);
    std::filesystem::create_directories(app.options.userFolder);
    app.folders.Assign({app.options.userFolder, dir.Path() + "SMPLDATA/", dir.Path(), ""});
    set = scripted.Take();
    auto sample = std::make_unique<EchoSampleDialog>();
    sampleDialog = sample.get();
    set.sample = std::move(sample);
    MainServices services{app, engine, readings, dialogs, shell, set, files, samples, nullptr, {}};
    controller = std::make_unique<MainController>(services, view);
    controller->Texts().mbHeader.text = "Brickmelody";
    controller->Texts().saveChangesAt.text = "Save the changes to 'X'?";
    controller->Texts().saveError.text = "Could not save %.";
    controller->Texts().extNcp.text = "Songs";
    controller->Texts().extWcp.text = "Packages";
    controller->Texts().extAll.text = "All files";
    controller->Texts().extKnown.text = "Sounds";
    S().doc.library = MakeLibrary();
}

std::vector<engine::EngineCommand> ControllerTest::Posted()
{
    return std::exchange(engine.posted, {});
}

std::vector<engine::CommandCode> ControllerTest::PostedCodes()
{
    std::vector<engine::CommandCode> codes;
    for (const auto& c : Posted())
        codes.push_back(engine::CodeOf(c));
    return codes;
}

void ControllerTest::GiveMeasures(int32_t n)
{
    InsertMeasures(S().doc.song, S().Measures(), n, nullptr);
}

void ControllerTest::Place(int32_t measure, int32_t channel, int32_t part, int32_t entry, int32_t variant,
                           bool selected)
{
    ChannelSlot& slot = S().doc.song.measures[measure].slots[channel];
    slot.ref = SampleRef::Make(0, 0, part, 0, variant, entry);
    slot.selected = selected ? 1 : 0;
}

void ControllerTest::Deliver(int32_t message, int64_t wParam, int64_t lParam, platform::MessagePayload payload)
{
    platform::Message m;
    m.number = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.payload = std::move(payload);
    controller->OnEngineMessage(m);
}

} // namespace bm::ui::test
