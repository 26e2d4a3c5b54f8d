#include "ui/dialogs/TempoSteps.h"

namespace bm::dialogs {

int TempoStepNotAbove(int64_t tempo)
{
    int position = 0;
    for (size_t i = 0; i < kTempoSteps.size(); ++i) {
        if (kTempoSteps[i] <= tempo)
            position = int(i);
    }
    return position;
}

int32_t MeasureLengthForTempo(int64_t tempo)
{
    if (tempo <= 0)
        return 0;
    return int32_t(10584000 / tempo / 64 * 64);
}

} // namespace bm::dialogs
