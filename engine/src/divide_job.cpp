// SPDX-License-Identifier: GPL-3.0-or-later
#include "partory/divide_job.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "owned_file.h"
#include "partory/name_template.h"
#include "partory/paths.h"
#include "slices.h"

namespace partory {

std::int64_t GetPartSize(const DivideSettings& settings) {
    double bytes = settings.PartSizeValue;
    if (settings.Unit == SizeUnit::Kbytes) bytes *= 1024;  // exact: a power of two
    if (std::isnan(bytes)) return 0;
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    constexpr double kLimit = 9223372036854775808.0;
    if (bytes >= kLimit) return std::numeric_limits<std::int64_t>::max();
    if (bytes <= -kLimit) return std::numeric_limits<std::int64_t>::min();
    // Half to even, whatever rounding mode the process happens to be in.
    double whole = std::floor(bytes);
    const double fraction = bytes - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
    if (whole >= kLimit) return std::numeric_limits<std::int64_t>::max();
    return static_cast<std::int64_t>(whole);
}

std::string DivisionErrorText(const std::string& sourcePath) {
    return "File division error: \"" + LastComponent(sourcePath) + "\".";
}

namespace {

// Parts smaller than this are written from blocks of the source read this size at a time, as
// one read serves many parts; larger parts are copied by the kernel, in slices.
constexpr std::int64_t kBlockSize = 128 * 1024;

class DivideJob {
  public:
    DivideJob(const DivideSettings& settings, RunState& state, ProgressSink& progress,
              EventPump& pump, FileLayer& files)
        : settings_(settings),
          state_(state),
          progress_(progress),
          pump_(pump),
          files_(files),
          durability_(files),
          slices_(files, pump, durability_),
          runs_(files),
          partWriter_(files),
          source_(files),
          part_(files) {}

    void Run() {
        if (!Divide()) Fail();
    }

  private:
    // False on any failure; the caller turns it into the division error.
    bool Divide() {
        const std::int64_t size = GetPartSize(settings_);

        source_ = OwnedFile(files_, files_.OpenReadWrite(settings_.SourcePath));
        if (!source_) return false;
        const auto source = files_.Status(source_.get());
        // A device or pipe has no size to divide by.
        if (!source || source->kind != PathKind::File) return false;
        const std::int64_t n = source->size;
        runs_.Start(source_.get(), *source);

        if (size <= 0) return false;  // no division; a negative size gives no parts either
        const std::int64_t count = n / size + (n % size != 0 ? 1 : 0);
        progress_.SetMaximum(count);
        if (size < kBlockSize && count > 0)
            block_ = std::make_unique_for_overwrite<char[]>(kBlockSize);

        for (std::int64_t p = 1; p <= count; ++p) {
            WaitWhilePaused(state_, pump_);
            const std::string path =
                JoinPath(settings_.DestinationFolder, MakePartName(settings_.NameTemplate, p));
            if (!OpenPart(path, source->identity)) return false;
            partWriter_.Start(part_.get(), 0, partIsFile_);
            // The first part that is a file tells how the parts reach the medium.
            if (partIsFile_ && !durability_.begun() && !durability_.Begin(part_.get(), true))
                return false;

            // Tested once a part: only PumpEvents runs the handler that requests it.
            if (state_.CancelRequested) {
                TakeCancelStep(state_);
            } else {
                const std::int64_t copied =
                    block_ ? WriteFromBlocks(size) : slices_.Copy(runs_, partWriter_, size);
                if (copied < 0) return false;
                // A source that ends before the size it had at the start was read has been cut
                // by someone else: the parts would miss its data, so that is a failed read.
                if (copied < std::min(size, n - (p - 1) * size)) return false;
                // A flush at the part's end, which may wait for the device, comes after a paint.
                if (!block_ && durability_.waits()) pump_.KeepAlive();
                if (partIsFile_ && !durability_.Finished(part_.get(), copied)) return false;
            }

            if (!part_.Close()) return false;
            progress_.SetPosition(p);
            pump_.PumpEvents();
            if (state_.Stopped) break;
        }

        // Written is not done: the parts count only once they are on the medium.
        if (!state_.Stopped && !durability_.Finish()) return false;
        if (!source_.Close()) return false;
        if (!state_.Stopped) {
            state_.ResultText = std::to_string(count) + " file(s) sucessfully created!";
            state_.Succeeded = true;
        }
        return true;
    }

    // Writes the next `size` bytes of the source (fewer at its end) to the part, reading the
    // source a block at a time. A block of the source's hole is not read, and the part gets a
    // hole for it. The bytes written, or -1 on failure.
    std::int64_t WriteFromBlocks(std::int64_t size) {
        std::int64_t inPart = 0;
        while (inPart < size) {
            if (blockAt_ == blockHeld_) {
                if (sourceEnded_) break;
                const std::int64_t want = runs_.Next(kBlockSize, blockIsHole_);
                if (want < 0) return -1;
                std::int64_t got = want;
                if (!blockIsHole_) {
                    if (!runs_.Ready()) return -1;
                    got = files_.Read(source_.get(), block_.get(), want);
                    if (got < 0) return -1;
                }
                runs_.Passed(got);
                // Fewer bytes than asked for means the source has ended.
                sourceEnded_ = got < want;
                blockAt_ = 0;
                blockHeld_ = got;
                if (got == 0) break;
            }
            const std::int64_t take = std::min(size - inPart, blockHeld_ - blockAt_);
            if (blockIsHole_) {
                if (!partWriter_.Skip(take)) return -1;
            } else {
                if (!partWriter_.Ready() ||
                    !files_.Write(part_.get(), block_.get() + blockAt_, take)) {
                    return -1;
                }
                partWriter_.Wrote(take);
            }
            blockAt_ += take;
            inPart += take;
        }
        return partWriter_.Finish() ? inPart : -1;
    }

    // Creates the part file or empties the one that has its name, unless that is the source
    // itself: then the job stops rather than cut the file it is reading. A file this job has
    // just created cannot be the source, so only one that was there already is examined.
    bool OpenPart(const std::string& path, const FileIdentity& sourceIdentity) {
        const NewFile created = files_.CreateNew(path);
        part_ = OwnedFile(files_, created.file);
        partIsFile_ = true;
        if (created.outcome != NewFile::Outcome::NameTaken) return static_cast<bool>(part_);
        part_ = OwnedFile(files_, files_.Create(path, false));
        if (!part_) return false;
        const auto status = files_.Status(part_.get());
        if (!status || status->identity == sourceIdentity) return false;
        partIsFile_ = status->kind == PathKind::File;
        // Only a non-empty file needs cutting; devices cannot be cut at all.
        return status->size == 0 || files_.Truncate(part_.get());
    }

    void Fail() {
        state_.ResultText = DivisionErrorText(settings_.SourcePath);
        state_.Succeeded = false;
    }

    const DivideSettings& settings_;
    RunState& state_;
    ProgressSink& progress_;
    EventPump& pump_;
    FileLayer& files_;
    Durability durability_;
    SliceCopier slices_;
    SourceRuns runs_;
    HoleWriter partWriter_;
    // After durability_, so that on the way out they close before its handle, the part first.
    OwnedFile source_;
    OwnedFile part_;
    // Small parts only: the block of the source in hand, and how much of it is used.
    std::unique_ptr<char[]> block_;
    std::int64_t blockHeld_ = 0;
    std::int64_t blockAt_ = 0;
    bool sourceEnded_ = false;
    bool blockIsHole_ = false;
    bool partIsFile_ = true;  // else a device, which takes no holes
};

}  // namespace

void RunDivideJob(const DivideSettings& settings, RunState& state, ProgressSink& progress,
                  EventPump& pump, FileLayer& files) {
    DivideJob(settings, state, progress, pump, files).Run();
}

}  // namespace partory
