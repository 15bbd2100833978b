// Files for appending and their watches, which share one inotify instance: watches of the same
// file each get its events, a cancelled watch gets none, and an unlinked open file counts as
// deleted.
#include "platform/File.hpp"

#include "platform/FileWatch.hpp"
#include "tests/support/TemporaryFolder.hpp"

#include <condition_variable>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <gtest/gtest.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using tavrel::platform::File;
using tavrel::platform::FileWatch;
using tavrel::testing::TemporaryFolder;
using tavrel::testing::writeFile;
using Event = FileWatch::Event;
using Events = std::vector<Event>;
using namespace std::chrono_literals;

namespace {

// The events one watch has received, with a way to wait for a given count.
class Recorder {
public:
    FileWatch::Handler handler() {
        return [this](Event event) {
            const std::lock_guard lock(mutex_);
            events_.push_back(event);
            changed_.notify_all();
        };
    }
    Events waitFor(std::size_t count) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, 10s, [&] { return events_.size() >= count; });
        return events_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    Events events_;
};

File open(const fs::path& path) {
    return File::openForAppending(path.string()).value();
}

} // namespace

TEST(FileWatchTest, EachWatchGetsItsFilesEventsUntilCancelledAndUnlinkingIsDeletion) {
    const TemporaryFolder folder;
    writeFile(folder.path() / "a.log", "a");
    writeFile(folder.path() / "other.log", "o");
    const File first = open(folder.path() / "a.log");
    const File second = open(folder.path() / "a.log");
    const File other = open(folder.path() / "other.log");
    Recorder firstEvents;
    Recorder secondEvents;
    Recorder otherEvents;
    auto firstWatch = FileWatch::start(first, firstEvents.handler()).value();
    auto secondWatch = FileWatch::start(second, secondEvents.handler()).value();
    const auto otherWatch = FileWatch::start(other, otherEvents.handler()).value();

    fs::rename(folder.path() / "a.log", folder.path() / "b.log");
    EXPECT_EQ(firstEvents.waitFor(1), Events{Event::moved});
    EXPECT_EQ(secondEvents.waitFor(1), Events{Event::moved});
    // Cancelling one watch must not end the other watch of the same file.
    firstWatch->cancel();
    fs::rename(folder.path() / "b.log", folder.path() / "c.log");
    EXPECT_EQ(secondEvents.waitFor(2), (Events{Event::moved, Event::moved}));
    secondWatch.reset();
    fs::remove(folder.path() / "c.log");

    // A change of permissions is no event; unlinking the open file is its deletion. Events
    // arrive in order on one thread, so the deletion comes after any event of earlier changes.
    fs::permissions(folder.path() / "other.log", fs::perms::owner_read);
    fs::remove(folder.path() / "other.log");
    EXPECT_EQ(otherEvents.waitFor(1), Events{Event::deleted});
    EXPECT_EQ(firstEvents.waitFor(1).size(), 1U);
    EXPECT_EQ(secondEvents.waitFor(2).size(), 2U);
}

TEST(FileTest, AFifoIsRefusedAtOnceEvenWithoutAReader) {
    const TemporaryFolder folder;
    const std::string fifo = folder.string() + "/fifo.log";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    auto opening =
        std::async(std::launch::async, [&] { return File::openForAppending(fifo).ok(); });
    if (opening.wait_for(5s) == std::future_status::timeout) {
        ADD_FAILURE() << "opening a FIFO waits for a reader";
        close(::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)); // lets that opening end
    }
    EXPECT_FALSE(opening.get());
}
