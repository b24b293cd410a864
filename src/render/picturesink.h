#pragma once
// The picture outputs of a conversion as record sinks: one PDF document,
// or one picture file per record in a folder, which appears whole when
// the sink finishes, or not at all.
#include <memory>
#include <string>

#include "convert/job.h"
#include "convert/record.h"
#include "render/bytesink.h"

namespace bq {

// For the job's format: PDF goes to `document` (the caller puts the bytes
// in place after Finish); SVG and PNG go into `folder`, which must be new
// or empty (see IsNewOrEmptyFolder). Throws TRenderError when the diagram
// font is not installed, TFileError when the folder cannot be made.
// `job` must outlive the sink.
std::unique_ptr<TRecordSink> MakePictureSink(const TConvertJob& job, const std::string& folder,
                                             TByteSink document);

}  // namespace bq
