// Drum and percussion loops: step patterns played by the drum voices.

#include "Drums.h"
#include "Loops.h"
#include "Pattern.h"

namespace bm::content {

namespace {

using drums::Voice;

// Voice makers for the lanes (velocity only scales the level, except where
// a softer hit also sounds shorter).
Lane KickLane(std::string pattern, double gain = 1.0, double decay = 0.15)
{
    return {[decay](Rng& rng, double) { return drums::Kick(rng, 48.0, 160.0, decay); }, std::move(pattern), gain};
}
Lane ClapLane(std::string pattern, double gain = 1.0)
{
    return {[](Rng& rng, double) { return drums::Clap(rng); }, std::move(pattern), gain};
}
Lane SnareLane(std::string pattern, double gain = 0.7, double tone = 190.0)
{
    return {[tone](Rng& rng, double v) { return drums::Snare(rng, tone, 1.0, 0.08 + 0.08 * v); }, std::move(pattern),
            gain};
}
Lane HatLane(std::string pattern, double gain = 0.45, double swing = 0.0)
{
    Lane lane{[](Rng& rng, double v) { return drums::ClosedHat(rng, 0.02 + 0.025 * v); }, std::move(pattern), gain};
    lane.swing = swing;
    lane.humanise = 40;
    return lane;
}
Lane OpenHatLane(std::string pattern, double gain = 0.42)
{
    return {[](Rng& rng, double) { return drums::OpenHat(rng); }, std::move(pattern), gain};
}
Lane RideLane(std::string pattern, double gain = 0.25)
{
    return {[](Rng& rng, double) { return drums::Ride(rng); }, std::move(pattern), gain};
}
Lane CrashLane(std::string pattern, double gain = 0.35)
{
    return {[](Rng& rng, double) { return drums::Crash(rng, 1.8); }, std::move(pattern), gain};
}

Variants Render(const std::vector<std::vector<Lane>>& variants, uint64_t seed)
{
    Variants out;
    Rng rng(seed);
    for (const auto& lanes : variants)
        out.push_back(RenderLanes(lanes, rng));
    return out;
}

} // namespace

Variants HouseBeatLoops(uint64_t seed)
{
    const std::string kick = "x...x...x...x...";
    const std::string clap = "....x.......x...";
    const std::string open = "..x...x...x...x.";
    const std::string hats = "x.o.x.o.x.o.x.o.";
    return Render({
        // basic
        {KickLane(kick), ClapLane(clap), OpenHatLane(open), HatLane(hats)},
        // groove: busier hats and a ghost kick before the bar
        {KickLane("x...x...x...x..g"), ClapLane(clap), OpenHatLane(open), HatLane("xgogxgogxgogxgog", 0.45, 0.08)},
        // break: no kick
        {ClapLane(clap), OpenHatLane(open), HatLane("xgogxgogxgogxgog", 0.45, 0.08)},
        // fill: a snare run over the last beat
        {KickLane("x...x...x......."), ClapLane(clap), OpenHatLane("..x...x...x....."),
         HatLane("x.o.x.o.x.o....."), SnareLane("............oxxX", 0.65)},
        // drive: ride on the offbeats and a double clap
        {KickLane(kick), ClapLane("....x.......x.o."), OpenHatLane(open), HatLane("xgogxgogxgogxgog", 0.45, 0.08),
         RideLane("x.x.x.x.x.x.x.x.")},
        // crash: the first beat of a new section
        {KickLane(kick), ClapLane(clap), OpenHatLane(open), HatLane(hats), CrashLane("x...............")},
    }, seed);
}

Variants BreakBeatLoops(uint64_t seed)
{
    const std::string hats = "x.x.x.x.x.x.x.x.";
    return Render({
        {KickLane("x.........x.....", 1.0, 0.14), SnareLane("....x.......x..."), HatLane(hats, 0.45, 0.12)},
        {KickLane("x.........x..x..", 1.0, 0.14), SnareLane("....x..g.g..x..."), HatLane(hats, 0.45, 0.12)},
        {KickLane("x.x.......x.....", 1.0, 0.14), SnareLane("....x.......x..g"),
         HatLane("x.xgx.x.x.xgx.x.", 0.45, 0.12)},
        {KickLane("x.........x.....", 1.0, 0.14), SnareLane("....x.......x..."), HatLane("x.x.x.x.x.x.x.x.", 0.3),
         OpenHatLane("..............x.")},
        {KickLane("x.....x...x..x..", 1.0, 0.14), SnareLane("....x..g.g..x.gx"),
         HatLane("xgxgxgxgxgxgxgxg", 0.45, 0.12), RideLane("x...x...x...x...")},
        {KickLane("x.........x.....", 1.0, 0.14), SnareLane("....x.......xoxX"), HatLane("x.x.x.x.x.x.....", 0.45),
         CrashLane("x...............")},
    }, seed);
}

Variants KickLoops(uint64_t seed)
{
    return Render({
        {KickLane("x...x...x...x...")},
        {KickLane("x...x...x...x.g.")},
        {KickLane("x.......x.......")},
        {KickLane("x.x.x.x.x.x.x.x.", 1.0, 0.14)},
        {KickLane("xoxoxoxoxoxoxoxo", 1.0, 0.1)},
        {KickLane("x..x..x...x..x..", 1.0, 0.22)},
    }, seed);
}

Variants HatLoops(uint64_t seed)
{
    return Render({
        {OpenHatLane("..x...x...x...x.", 0.45)},
        {HatLane("x.x.x.x.x.x.x.x.", 0.45)},
        {HatLane("xgogxgogxgogxgog", 0.45)},
        {HatLane("xgogxgogxgogxgog", 0.45, 0.16)},
        {HatLane("x.o.x.o.x.o.x.o.", 0.4), OpenHatLane("..x...x...x...x.", 0.3)},
        {RideLane("x.o.x.o.x.o.x.o.", 0.4)},
    }, seed);
}

Variants SnareClapLoops(uint64_t seed)
{
    return Render({
        {ClapLane("....x.......x...", 0.8)},
        {SnareLane("....x.......x...", 0.8)},
        {ClapLane("....x.......x...", 0.6), SnareLane("....x.......x...", 0.5)},
        {SnareLane("x.o.x.o.x.o.x.xX", 0.55)},
        {SnareLane("gggoooooxxxxxxXX", 0.55)},
        {ClapLane("....x.......x...", 0.75), SnareLane("..g....g.g....g.", 0.5)},
    }, seed);
}

namespace {

Lane ShakerLane(std::string pattern, double gain = 0.35, double swing = 0.0)
{
    Lane lane{[](Rng& rng, double v) { return drums::Shaker(rng, 0.04 + 0.05 * v); }, std::move(pattern), gain};
    lane.swing = swing;
    lane.humanise = 60;
    return lane;
}
Lane CongaLane(std::string pattern, double hz, bool slap, double gain = 0.5)
{
    Lane lane{[hz, slap](Rng& rng, double) { return drums::Conga(rng, hz, slap); }, std::move(pattern), gain};
    lane.humanise = 50;
    return lane;
}
Lane RimLane(std::string pattern, double gain = 0.4)
{
    return {[](Rng& rng, double) { return drums::Rim(rng); }, std::move(pattern), gain};
}
Lane ClaveLane(std::string pattern, double gain = 0.3)
{
    return {[](Rng&, double) { return drums::Clave(); }, std::move(pattern), gain};
}
Lane CowbellLane(std::string pattern, double gain = 0.3)
{
    return {[](Rng&, double) { return drums::Cowbell(); }, std::move(pattern), gain};
}
Lane SnapLane(std::string pattern, double gain = 0.4)
{
    return {[](Rng& rng, double) { return drums::Snap(rng); }, std::move(pattern), gain};
}
Lane TomLane(std::string pattern, double hz, double gain = 0.6)
{
    return {[hz](Rng& rng, double) { return drums::Tom(rng, hz); }, std::move(pattern), gain};
}

} // namespace

Variants ShakerLoops(uint64_t seed)
{
    return Render({
        {ShakerLane("gxgxgxgxgxgxgxgx")},
        {ShakerLane("x.x.x.x.x.x.x.x.")},
        {ShakerLane("gxgxgxgxgxgxgxgx", 0.35, 0.15)},
        {ShakerLane("..x...x...x...x.")},
        {ShakerLane("gggggoooooxxxxXX")},
        {ShakerLane("x..x..x..x..x.x.")},
    }, seed);
}

Variants CongaLoops(uint64_t seed)
{
    const double high = 330.0, low = 220.0;
    return Render({
        {CongaLane("..x...x...x..x..", high, false), CongaLane("x.......x.......", low, false)},
        {CongaLane("..x.x.x...x.xx..", high, false), CongaLane("x.......x..x....", low, false)},
        {CongaLane("..x...x...x..x..", high, false), CongaLane("x.......x.......", low, false),
         CongaLane("....x.......x...", high, true, 0.45)},
        {CongaLane("x.x.x.x.x.x.x.x.", high, false, 0.4), CongaLane(".x.x.x.x.x.x.x.x", low, false, 0.4)},
        {CongaLane("..xx.xx...xx.xx.", high, false), CongaLane("x.......x.......", low, false),
         CongaLane("....x.......x...", high, true, 0.45)},
        {CongaLane("..x...x...xxxxxx", high, false), CongaLane("x.......x.......", low, false)},
    }, seed);
}

Variants RimClaveLoops(uint64_t seed)
{
    return Render({
        {ClaveLane("x..x..x...x.x...")},
        {ClaveLane("x..x...x..x.x...")},
        {RimLane("..x..x....x..x..")},
        {RimLane("..x..x....x..x.."), ClaveLane("x..x..x...x.x...", 0.25)},
        {CowbellLane("x.x..x.x..x.x.x.", 0.25), RimLane("....x.......x...", 0.3)},
        {SnapLane("....x.......x..."), RimLane("..g..g...g..g..g", 0.35)},
    }, seed);
}

Variants TomLoops(uint64_t seed)
{
    const double hi = 180.0, mid = 135.0, low = 98.0;
    return Render({
        {TomLane("x.....x.........", low), TomLane("....x.....x.....", mid)},
        {TomLane("x.....x.........", low), TomLane("....x.....x..x..", mid), TomLane("..x.............", hi)},
        {TomLane("x..x..x...x.....", low), TomLane("............x...", hi)},
        {TomLane("x.....x.........", low), TomLane("....x.....x.....", mid), TomLane("..............xx", hi)},
        {TomLane("x.x...x.x.......", low), TomLane("....x.....x.x...", mid), TomLane("..........x...x.", hi)},
        {TomLane("............xxxx", low), TomLane("........xxxx....", mid), TomLane("xxx.xxx.........", hi, 0.5)},
    }, seed);
}

} // namespace bm::content
