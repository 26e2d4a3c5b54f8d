#include "DialogGestures.h"

#include <gtest/gtest.h>

namespace bm::e2e {

std::optional<Window> WaitOtherWindow(const XDisplay& x, ProgramRun& run)
{
    std::optional<Window> dialog;
    WaitUntil(
        [&] {
            for (Window w : x.Windows(".*", run.Pid())) {
                if (w != run.Main())
                    dialog = w;
            }
            return dialog.has_value();
        },
        10s);
    return dialog;
}

void AnswerFileDialog(const XDisplay& x, ProgramRun& run, const std::string& typed)
{
    const std::optional<Window> dialog = WaitOtherWindow(x, run);
    ASSERT_TRUE(dialog.has_value()) << "no file dialog";
    x.Activate(*dialog);
    ASSERT_TRUE(x.Type(typed));
    ASSERT_TRUE(x.Key({"Return"}));
    ASSERT_TRUE(WaitUntil([&] { return !x.Visible(*dialog); }, 10s)) << "the file dialog stayed";
}

} // namespace bm::e2e
