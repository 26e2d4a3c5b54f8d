#include "app/AppContext.h"

namespace bm::app {

void AppContext::SetProgramPath(std::string path)
{
    programPath = std::move(path);
    programFolder = FolderPart(programPath);
}

} // namespace bm::app
