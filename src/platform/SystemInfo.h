#pragma once

// What the program asks the operating system about the machine: memory for
// the default size of the engine's memory cache, the processor class for the
// default display options, free disk space for the temporary folder.

#include <cstdint>
#include <string>

namespace bm::platform {

// Total physical memory in bytes; 0 when the system does not say.
uint64_t TotalPhysicalMemory();

// The processor class in the numbering of the x86 family (486, 586, ...).
// Every processor this program runs on is of class 586 or above.
int32_t ProcessorType();

// Bytes available to this user on the file system that holds `path`;
// -1 when the path cannot be examined.
int64_t FreeDiskSpace(const std::string& path);

// Asks the allocator to keep freed memory for reuse instead of handing it
// back to the system at once. Rendering opens every sample afresh for each
// measure, and each reader has scratch blocks of about a measure; left to
// itself the allocator returns those pages after every measure and faults
// them in again for the next, which doubles the time of a render. Called
// once at the start of a program.
void KeepFreedMemoryForReuse();

} // namespace bm::platform
