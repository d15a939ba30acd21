#include "projector/projector_tools.h"

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/dialogs.h"
#include "platform/failure.h"
#include "platform/text.h"
#include "projector/projector_file.h"
#include "projector/projector_layout.h"

namespace tavelin {
namespace {

constexpr const char* kFileMissing = "文件不存在!";
constexpr const char* kStubName = "data.dat";
constexpr std::uint32_t kSaveFlags = 8388614;  // resizable, read-only box hidden, overwrite prompt

// The size of the file at `path` as the folder lists it; nothing when there is no such
// file (read-only ones count, hidden and system files and folders do not).
std::optional<std::uint64_t> ListedFileSize(FileSystem& files, const std::string& path) {
  try {
    for (const DirectoryEntry& entry : files.List(path)) {
      if (!(entry.attributes & (attr::kDirectory | attr::kHidden | attr::kSystem))) return entry.size;
    }
  } catch (const Failure&) {
    // A path the system cannot look up names no file.
  }
  return std::nullopt;
}

// A file being written gets this suffix until it is complete.
constexpr const char* kTemporarySuffix = ".new";

// Writes `output` whole: the file `prefix` (when not empty) followed by `length` bytes
// of `source` from `offset`. Everything goes to a temporary file that then replaces
// `output`, and is removed again when a step fails, so `output` is either as it was or
// complete.
void ReplaceWithCopy(FileSystem& files, const std::string& prefix, const std::string& source, std::uint64_t offset,
                     std::uint64_t length, const std::string& output) {
  const std::string temporary = output + kTemporarySuffix;
  try {
    if (!prefix.empty()) files.CopyFile(prefix, temporary);
    files.CopyFileRange(source, offset, length, temporary, !prefix.empty());
    files.ReplaceFile(temporary, output);
  } catch (const Failure&) {
    StepRecord cleanup;
    cleanup.Run([&] {
      if (files.FileExists(temporary)) files.DeleteFile(temporary);
    });
    throw;
  }
}

// `output` up to its last "."; the whole of it when it has none.
std::string BaseOf(const std::string& output) {
  const std::size_t dot = output.rfind('.');
  return dot == std::string::npos ? output : output.substr(0, dot);
}

}  // namespace

void ProjectorTools::ExtractSwf(const std::string& source, const std::string& output, bool playAfter) {
  if (source.empty() || output.empty()) return;
  const std::optional<std::uint64_t> size = ListedFileSize(ports_.files, source);
  if (!size) return;

  FileSystem& files = ports_.files;
  StepRecord steps;
  projector::ProjectorContents contents;
  const bool read = steps.Run([&] {
    projector::ProjectorFile file(files, source, *size);
    contents = projector::FindMovies(file, windowBytes_);
  });
  if (!read) {
    host_.ShowMessage(steps.LastFailure(), 0);
    return;
  }

  std::string played = output;
  bool mayPlay = true;
  switch (contents.layout) {
    case projector::Layout::kNone:
      return;  // no movie inside: nothing to say
    case projector::Layout::kOffsetMarker:
    case projector::Layout::kKnownStub:
      steps.Run([&] {
        if (contents.offsetPastEnd) throw Failure(failure_text::kSubscriptOutOfRange);
        const projector::MoviePiece& movie = contents.movies.front();
        ReplaceWithCopy(files, {}, source, movie.start, movie.length, output);
      });
      break;
    case projector::Layout::kScanned: {
      const std::string base = BaseOf(output);
      const std::size_t count = contents.movies.size();
      for (std::size_t n = 1; n <= count; ++n) {
        const projector::MoviePiece& movie = contents.movies[n - 1];
        const bool last = n == count;
        const std::string name = (last && n == 1) ? base + ".swf" : base + std::to_string(n) + ".swf";
        if (!steps.Run([&] { ReplaceWithCopy(files, {}, source, movie.start, movie.length, name); })) break;
        if (last) played = name;
      }
      // A projector with more movies than the scan cuts is unpacked, not played.
      mayPlay = static_cast<int>(count) < projector::kMostScannedMovies;
      break;
    }
  }
  if (steps.HasFailure()) {
    host_.ShowMessage(steps.LastFailure(), 0);
    return;
  }
  bool written = false;
  steps.Run([&] { written = files.FileExists(played); });
  if (playAfter && mayPlay && written) host_.Play(played);
}

void ProjectorTools::PackSwf(const std::string& source, std::string output) {
  if (source.find("//") != std::string::npos) return;  // a network address
  FileSystem& files = ports_.files;
  std::string name;
  std::uint64_t movieSize = 0;
  try {
    for (const DirectoryEntry& entry : files.List(source)) {
      if (!(entry.attributes & attr::kDirectory)) {
        name = entry.name;
        movieSize = entry.size;
        break;
      }
    }
  } catch (const Failure&) {
    // A path the system cannot look up names no file.
  }
  if (name.empty()) {
    host_.ShowMessage(kFileMissing, mb::kIconInformation);
    return;
  }
  const std::string stub = host_.ProgramFolder() + kStubName;
  bool stubThere = false;
  StepRecord steps;
  steps.Run([&] { stubThere = files.FileExists(stub); });
  if (!stubThere) {
    // Never a projector without its player: the user learns which file is missing.
    host_.ShowMessage(std::string(kFileMissing) + "\r" + stub, mb::kIconInformation);
    return;
  }
  if (output.empty()) {
    const std::string defaultName = name.size() > 4 ? name.substr(0, name.size() - 4) : std::string();
    std::optional<std::string> chosen;
    steps.Run([&] {
      chosen = ports_.dialogs.PickFile({"选择或创建打包文件名", kSaveFlags, "应用程序|*.exe", true, defaultName, "exe"});
    });
    if (!chosen || chosen->empty()) return;
    output = *chosen;
  }
  // The movie is streamed behind the copied stub, never read whole.
  if (!steps.Run([&] { ReplaceWithCopy(files, stub, source, 0, movieSize, output); })) {
    host_.ShowMessage(steps.LastFailure(), 0);
  }
}

void ProjectorTools::ConvertProjectors(const std::string& folder, const std::vector<BatchItem>& items,
                                       bool selectedOnly, BatchProgress& progress) {
  progress.Begin();
  const std::size_t total = items.size();
  for (std::size_t i = 1; i <= total; ++i) {
    const BatchItem& item = items[i - 1];
    if (selectedOnly && !item.selected) continue;
    const std::string source = folder + item.name;
    const std::string output =
        folder + (item.name.size() >= 3 ? item.name.substr(0, item.name.size() - 3) : std::string()) + "swf";
    if (!EqualsIgnoreCase(source, output)) ExtractSwf(source, output, false);
    const auto done = static_cast<long long>(i), count = static_cast<long long>(total);
    progress.Advance(std::to_string(done * 100 / count) + "%", static_cast<int>(done * kProgressWidth / count));
    if (progress.YieldAndCheckStop()) break;
  }
  progress.End();
}

}  // namespace tavelin
