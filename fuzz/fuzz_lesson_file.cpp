// The lesson reader the program uses: a file read in chunks, under an entry limit. The first
// input byte picks the chunk size (1 to 64 bytes, so fields and zero bytes fall across chunk
// borders), the second the entry limit (0 to 15, or none from 16 on); the rest is the file.
// Whatever the chunks, the file reads as the same bytes read in one piece; a file with more
// pairs than the limit is refused and leaves the chain as it was.
#include "entry_chain.h"
#include "lesson_file.h"

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

constexpr std::size_t kMaxChunkBytes = 64;
constexpr std::uint8_t kNoLimitFrom = 16;

Pairs pairsAfter(const EntryChain& chain, const strWort* before)
{
    Pairs out;
    for (const strWort* e = before ? before->next : chain.firstEntry(); e != nullptr; e = e->next)
        out.emplace_back(e->term1, e->term2);
    return out;
}

// Checks the order of the notifications: before, one per pair, then after or abandoned.
class CheckingListener : public LessonReadListener {
public:
    void beforePairs() override
    {
        if (state_ != State::Idle) std::abort();
        state_ = State::Reading;
    }
    void pairRead(strWort& /*entry*/) override
    {
        if (state_ != State::Reading) std::abort();
        ++pairs_;
    }
    void afterPairs() override
    {
        if (state_ != State::Reading) std::abort();
        state_ = State::Done;
    }
    void readAbandoned() override
    {
        if (state_ != State::Reading) std::abort();
        state_ = State::Abandoned;
    }
    bool done() const { return state_ == State::Done; }
    bool abandoned() const { return state_ == State::Abandoned; }
    bool untouched() const { return state_ == State::Idle; }
    std::uint64_t pairs() const { return pairs_; }

private:
    enum class State { Idle, Reading, Done, Abandoned };
    State state_ = State::Idle;
    std::uint64_t pairs_ = 0;
};

// One file in memory for the whole run, named through /proc so that the reader opens it as
// the program opens a lesson.
const std::string& filePath(int& fd)
{
    static int file = ::memfd_create("lesson", MFD_CLOEXEC);
    static const std::string path = "/proc/self/fd/" + std::to_string(file);
    if (file < 0) std::abort();
    fd = file;
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2) return 0;
    LessonReadLimits limits;
    limits.chunkBytes = 1 + data[0] % kMaxChunkBytes;
    limits.maxEntries =
        data[1] < kNoLimitFrom ? data[1] : std::numeric_limits<std::uint64_t>::max();
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 2, size - 2);

    int fd = -1;
    const std::string& path = filePath(fd);
    if (::ftruncate(fd, 0) != 0 ||
        ::pwrite(fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size()))
        std::abort();

    EntryChain whole;
    LessonReadLimits unlimited;
    unlimited.maxEntries = std::numeric_limits<std::uint64_t>::max();
    const LessonReadResult expected = readLessonBytes(bytes, whole, nullptr, unlimited);

    EntryChain chain;
    const strWort* before = chain.append("vorher", "before");
    CheckingListener listener;
    const LessonReadResult result = readLessonFile(path, chain, &listener, limits);
    const Pairs read = pairsAfter(chain, before);

    if (chain.firstEntry() != before || chain.currentEntry != nullptr) std::abort();
    if (expected != LessonReadResult::Read) {
        if (result != expected || !listener.untouched() || !read.empty()) std::abort();
    } else if (whole.entryCount() > limits.maxEntries) {
        if (result != LessonReadResult::TooLarge || !listener.abandoned() || !read.empty() ||
            chain.lastEntry() != before)
            std::abort();
    } else {
        if (result != LessonReadResult::Read || !listener.done() ||
            read != pairsAfter(whole, nullptr) || listener.pairs() != read.size())
            std::abort();
    }
    return 0;
}
