#include "app/ProgramWindow.h"

namespace bm::app {

void DeliverFromOtherCopy(const platform::CopyDataRecord& record, ProgramWindow& window)
{
    window.BringToFront();
    if (record.byteCount >= 1 && record.byteCount <= kMaxHandedPathBytes)
        window.OpenFromOtherCopy(platform::CopyDataText(record));
}

} // namespace bm::app
