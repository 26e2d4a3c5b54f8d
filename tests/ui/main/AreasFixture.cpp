#include "AreasFixture.h"

namespace bm::ui::test {

using platform::Point;
namespace mods = platform::mods;

AreasTest::AreasTest()
{
    areas = std::make_unique<ArrangementAreas>(*controller, host);
    view.areas.repaint = [this](Area a) { areas->Paint(a); };
    view.areas.channel = [this](int32_t c) { areas->PaintChannel(c); };
    view.areas.measures = [this](int32_t first, int32_t count) { areas->PaintMeasures(first, count); };
    view.areas.placementDrag = [this] { areas->StartPlacementDrag(); };
    view.areas.slider = [this](const ValueSliderRequest& r) { areas->OpenValueSlider(r); };
}

AreasTest::~AreasTest()
{
    view.areas = {};
    areas.reset();
}

Point AreasTest::OnSlot(int32_t measure, int32_t channel, int32_t into) const
{
    const geometry::Frame f = F();
    const ChannelSlot& slot = controller->State().doc.song.measures[measure].slots[channel];
    return {geometry::SlotStartX(f, measure, slot.start) + into, geometry::RowTop(f, channel) + 16};
}

Point AreasTest::AtMeasure(int32_t measure, int32_t channel) const
{
    const geometry::Frame f = F();
    return {geometry::MeasureX(f, measure), geometry::RowTop(f, channel) + 16};
}

Point AreasTest::OnCell(int32_t visibleRow, int32_t column)
{
    const platform::Rect cell = layout::LibraryCellRect(visibleRow, column);
    return {cell.left + 10, cell.top + 8};
}

void AreasTest::LeftDrag(Point from, Point to, uint32_t m)
{
    areas->OnLeftDown(from.x, from.y, m | mods::kLeftButton);
    areas->OnMouseMove((from.x + to.x) / 2 + 3, (from.y + to.y) / 2, m | mods::kLeftButton);
    areas->OnMouseMove(to.x, to.y, m | mods::kLeftButton);
    areas->OnLeftUp(to.x, to.y, m);
}

void AreasTest::RightDrag(Point from, Point to, uint32_t m)
{
    areas->OnRightDown(from.x, from.y, m | mods::kRightButton);
    areas->OnMouseMove((from.x + to.x) / 2 + 3, (from.y + to.y) / 2, m | mods::kRightButton);
    areas->OnMouseMove(to.x, to.y, m | mods::kRightButton);
    areas->OnRightUp(to.x, to.y, m);
}

void AreasTest::Click(Point at, uint32_t m)
{
    areas->OnLeftDown(at.x, at.y, m | mods::kLeftButton);
    areas->OnLeftUp(at.x, at.y, m);
}

void AreasTest::RightClick(Point at, uint32_t m)
{
    areas->OnRightDown(at.x, at.y, m | mods::kRightButton);
    areas->OnRightUp(at.x, at.y, m);
}

void AreasTest::AnswerMenus(int32_t command)
{
    host.onMenu = [this, command](const std::string&) { controller->OnCommand(command); };
}

std::vector<engine::CommandCode> AreasTest::Codes(const std::vector<engine::EngineCommand>& commands) const
{
    std::vector<engine::CommandCode> codes;
    for (const auto& c : commands)
        codes.push_back(engine::CodeOf(c));
    return codes;
}

} // namespace bm::ui::test
