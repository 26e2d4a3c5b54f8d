#include "SongFile.h"

#include "ProgramUnderTest.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

// Qt's "slots" keyword would take the summary's member of that name.
#undef slots

namespace bm::e2e {

std::optional<SongSummary> ReadSongSummary(const std::string& programFolder, const std::string& song,
                                           std::string* why)
{
    const ToolResult result = RunCliIn(programFolder, {"song", "info", song, "--json"});
    if (!result.ok()) {
        if (why)
            *why = result.out;
        return std::nullopt;
    }
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(result.out), &error);
    if (!doc.isObject()) {
        if (why)
            *why = "not a JSON object: " + error.errorString().toStdString();
        return std::nullopt;
    }
    const QJsonObject root = doc.object();
    SongSummary summary;
    summary.measures = root.value("measures").toInt();
    summary.samplesPerMeasure = root.value("samples_per_measure").toInt();
    for (const QJsonValue& v : root.value("slots").toArray()) {
        const QJsonObject s = v.toObject();
        SlotSummary slot;
        slot.measure = s.value("measure").toInt();
        slot.channel = s.value("channel").toInt();
        slot.selected = s.value("selected").toInt() != 0;
        slot.resolved = s.value("resolved").toBool();
        slot.sample = s.value("sample").toString().toStdString();
        summary.slots.push_back(slot);
    }
    for (const QJsonValue& v : root.value("regions").toArray()) {
        const QJsonObject r = v.toObject();
        summary.regions.push_back({r.value("start").toInt(), r.value("end").toInt(), r.value("on").toBool()});
    }
    return summary;
}

std::string Placement(const SongSummary& song)
{
    std::string text;
    for (const SlotSummary& s : song.slots) {
        if (!text.empty())
            text += ' ';
        text += std::to_string(s.measure) + ":" + std::to_string(s.channel);
    }
    return text;
}

} // namespace bm::e2e
