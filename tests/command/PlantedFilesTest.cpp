// Hostile files planted among the login items: none hangs or stops the run, and what cannot be
// read is said to be so.
#include "tests/command/CommandTest.hpp"

#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

using namespace tavrel::testing;
using PlantedFilesTest = CommandTest;

TEST_F(PlantedFilesTest, PlantedEntriesNeitherHangNorStopItAndWhatCannotBeReadIsSaid) {
    const fs::path planted = loginItem_.parent_path() / "z.desktop";
    const std::string huge = "Too large to read (over 1 MiB).";
    const std::string odd = "Not a regular file.";
    // Each beside a valid "Tavrel" entry; its message when it cannot be read, else "".
    const std::vector<std::tuple<const char*, std::function<void()>, std::string>> cases{
        {"a link to /dev/zero", [&] { fs::create_symlink("/dev/zero", planted); }, odd},
        {"a FIFO", [&] { mkfifo(planted.c_str(), 0600); }, odd},
        {"a FIFO with a writer", [&] { mkfifo(planted.c_str(), 0600); }, odd},
        {"a 3 GiB sparse file",
         [&] { writeFile(planted, ""), fs::resize_file(planted, 3ULL << 30); }, huge},
        {"a folder", [&] { fs::create_directory(planted); }, ""},
        {"a dangling link", [&] { fs::create_symlink("nowhere", planted); }, ""},
    };
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    const std::string limited = "exec \"$0\" \"$@\""; // the sanitizers' shadow memory needs more
#else
    const std::string limited = "ulimit -v 1000000 && exec \"$0\" \"$@\"";
#endif
    for (const auto& [name, plant, message] : cases) {
        SCOPED_TRACE(name);
        writeFile(loginItem_, "[Desktop Entry]\nName=Tavrel\nExec=tavrel\n");
        plant();
        // A writer keeps the FIFO open, so that a read would wait for it rather than end.
        const int writer = std::string(name).ends_with("writer")
                               ? open(planted.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC)
                               : -1;
        // Under a memory limit, so that reading a huge file whole would fail the run.
        const ProcessRun run = uninstall({"--yes", "--json"}, Sandbox(), Output::collected,
                                         {"/bin/sh", "-c", limited, TAVREL_UNINSTALL});
        if (writer >= 0) {
            close(writer);
        }
        ASSERT_TRUE(Json::accept(run.out)) << run.out << run.err;
        const Json report = Json::parse(run.out);
        // What could not be read is named; the login item beside it is still removed.
        EXPECT_EQ(report["steps"][2]["found"]["unavailable"],
                  message.empty()
                      ? Json()
                      : Json("\u201cz.desktop\u201d couldn\u2019t be examined: " + message));
        const Json& results = report["steps"][3]["results"];
        EXPECT_EQ(results[0]["status"], "removed") << results;
        EXPECT_EQ(results.size(), message.empty() ? 1U : 2U) << results;
        EXPECT_EQ(report["steps"][3]["remaining"]["unavailable"].is_string(), !message.empty());
        EXPECT_FALSE(fs::exists(loginItem_));
        fs::remove_all(planted);
    }
    // Each entry that cannot be read is named in the plan, as in the run: not only the first.
    mkfifo(planted.c_str(), 0600);
    fs::create_symlink("/dev/zero", loginItem_.parent_path() / "y.desktop");
    const std::string entry = "\u201cy.desktop\u201d couldn\u2019t be examined: " + odd;
    EXPECT_EQ(
        Json::parse(uninstall({"--dry-run", "--json"}).out)["steps"][2]["found"]["unavailable"],
        Json(entry + " \u201cz.desktop\u201d couldn\u2019t be examined: " + odd));
}
