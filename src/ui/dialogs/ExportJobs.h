#pragma once

// What the export command (1159) makes of the song and the export dialog:
// the name it proposes, the dialog's request, and the engine's export job.
//
//     ExportRequest request = MakeExportRequest(song, documentPath, programFolder);
//     if (auto choice = dialogs.exportFile->Run(request))
//         outcome = dialogs.exportProgress->Run(BuildExportJob(*choice, song));

#include "engine/EngineCommand.h"
#include "song/Song.h"
#include "ui/dialogs/ExportDialog.h"

#include <cstdint>
#include <string>

namespace bm::dialogs {

// The document path with its song extension (".ncp", ".wcp") replaced by
// ".wav"; any other path gets "wav" after a final '.', or ".wav" unless it
// already ends so.
std::string ProposeExportName(const std::string& documentPath);

// Bytes of the WAV file an export of `frames` frames writes: 4 a frame and
// the 44-byte header.
int64_t ExportFileBytes(int64_t frames);

// The request for the export dialog: the proposed name, the file sizes for
// the whole song and for its active regions, and whether any region is on.
ExportRequest MakeExportRequest(const Song& song, const std::string& documentPath, const std::string& programFolder);

// The job for the engine: the chosen file (with ".wav" when its name has no
// extension), the fades and level, and the measures of the chosen range.
// The receiver is filled in by the progress dialog.
engine::ExportJob BuildExportJob(const ExportChoice& choice, const Song& song);

} // namespace bm::dialogs
