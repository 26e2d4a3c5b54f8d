#include "app/ShutdownOrder.h"

namespace bm::app {

bool RunShutdownOrder(ShutdownSteps& window, EngineWorker& engine)
{
    window.SetClosing();
    window.WriteLibrary();
    window.StopPlaybackClock();
    engine::EngineClient& client = engine.Client();
    client.Post(engine::Stop{});
    client.Post(engine::SwitchSwap{0});
    client.Post(engine::End{});
    bool finished = engine.WaitFinished(kWorkerEndTimeout);
    window.PostQuit();
    return finished;
}

} // namespace bm::app
