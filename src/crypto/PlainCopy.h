#pragma once
// Writing the MP4 inside an encrypted container to a file of our own: the staging copy an export's
// ffmpeg reads, or a decrypted copy the user asked for. Blocking: call it off the interface thread.

#include "CancellationToken.h"
#include "ContainerReader.h"
#include "OwnedFiles.h"

#include <functional>

namespace orvane::crypto::PlainCopy {

// Writes all of `reader`'s MP4 into `target` a chunk at a time, checking `cancel` between chunks
// and reporting the fraction done. Throws ContainerError (readFailed; cutShort when the file ends
// early), FileSystemError (the system's text of a failed write) and OperationCancelled.
void write(ContainerReader& reader, OwnedFile& target, const CancellationToken& cancel,
           const std::function<void(double)>& progress = {});

} // namespace orvane::crypto::PlainCopy
