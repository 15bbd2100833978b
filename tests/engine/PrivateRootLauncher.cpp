// private_root: runs a command in private user and mount namespaces whose root mirrors the real one
// but has its own /Applications, so tests can plant and remove application bundles there
// without touching the real system.
//
//   private_root [--applications HOSTDIR] [--readonly PATH]... -- COMMAND [ARGUMENT]...
//
// --applications bind-mounts HOSTDIR (a path outside) on /Applications (else an empty folder);
// --readonly makes PATH (as seen inside) a read-only bind mount of itself.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

[[noreturn]] void die(const std::string& what) {
    std::fprintf(stderr, "private_root: %s: %s\n", what.c_str(), std::strerror(errno));
    _exit(125);
}

void bindMount(const std::string& from, const std::string& to) {
    if (mount(from.c_str(), to.c_str(), nullptr, MS_BIND | MS_REC, nullptr) != 0) {
        die("bind " + from + " on " + to);
    }
}

// Mirrors every top-level entry of the real root inside `root`, except /Applications.
void mirrorRoot(const std::string& root) {
    DIR* stream = opendir("/");
    if (stream == nullptr) {
        die("opendir /");
    }
    while (const dirent* entry = readdir(stream)) {
        const std::string name = entry->d_name;
        if (name == "." || name == ".." || name == "Applications") {
            continue;
        }
        const std::string real = "/" + name;
        const std::string mirror = std::string(root).append("/").append(name);
        struct stat status {};
        if (lstat(real.c_str(), &status) != 0) {
            continue;
        }
        if (S_ISLNK(status.st_mode)) {
            char target[4096];
            const ssize_t length = readlink(real.c_str(), target, sizeof target - 1);
            if (length < 0) {
                die("readlink " + real);
            }
            target[length] = '\0';
            if (symlink(target, mirror.c_str()) != 0) {
                die("symlink " + mirror);
            }
        } else if (S_ISDIR(status.st_mode)) {
            if (mkdir(mirror.c_str(), 0755) != 0) {
                die("mkdir " + mirror);
            }
            bindMount(real, mirror);
        } else if (S_ISREG(status.st_mode)) {
            const int descriptor = open(mirror.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
            if (descriptor < 0) {
                die("create " + mirror);
            }
            close(descriptor);
            bindMount(real, mirror);
        }
    }
    closedir(stream);
}

// Runs in the new namespaces that `unshare -rm` made for us.
int runInside(const std::string& root, const std::string& applications,
              const std::vector<std::string>& readOnly, char** command) {
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        die("make / private");
    }
    if (mount("tmpfs", root.c_str(), "tmpfs", 0, "mode=0755") != 0) {
        die("tmpfs on " + root);
    }
    mirrorRoot(root);
    const std::string inside = root + "/Applications";
    if (mkdir(inside.c_str(), 0755) != 0) {
        die("mkdir " + inside);
    }
    if (!applications.empty()) {
        bindMount(applications, inside);
    }
    for (const std::string& path : readOnly) {
        const std::string target = root + path;
        bindMount(target, target);
        if (mount(nullptr, target.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY | MS_REC,
                  nullptr) != 0) {
            die("read-only " + path);
        }
    }
    if (chroot(root.c_str()) != 0 || chdir("/") != 0) {
        die("chroot " + root);
    }
    execvp(command[0], command);
    die(std::string("exec ") + command[0]);
}

} // namespace

int main(int argc, char** argv) {
    // The outer call re-runs itself through `unshare -rm`, which makes the user and mount
    // namespaces from a single-threaded process (sanitizer runtimes start threads of their own).
    if (argc < 2 || std::strcmp(argv[1], "--inside") != 0) {
        // Our own path: "/proc/self/exe" would name unshare once it runs.
        char self[4096];
        const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
        if (length <= 0) {
            die("readlink /proc/self/exe");
        }
        self[length] = '\0';
        std::vector<char*> command{const_cast<char*>("unshare"), const_cast<char*>("-rm"), self,
                                   const_cast<char*>("--inside")};
        command.insert(command.end(), argv + 1, argv + argc);
        command.push_back(nullptr);
        char pattern[] = "/tmp/tavrel-root-XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            die("mkdtemp");
        }
        setenv("TAVREL_PRIVATE_ROOT_DIR", pattern, 1);
        const pid_t child = fork();
        if (child < 0) {
            die("fork");
        }
        if (child == 0) {
            execvp(command[0], command.data());
            die("exec unshare");
        }
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        rmdir(pattern); // the tmpfs was only ever mounted inside the child's namespace
        if (WIFEXITED(status)) {
            return WEXITSTATUS(status);
        }
        return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    }
    const char* root = std::getenv("TAVREL_PRIVATE_ROOT_DIR");
    if (root == nullptr) {
        std::fprintf(stderr, "private_root: --inside is internal\n");
        return 125;
    }
    std::string applications;
    std::vector<std::string> readOnly;
    int index = 2;
    for (; index < argc; ++index) {
        const std::string argument = argv[index];
        if (argument == "--") {
            ++index;
            break;
        }
        if (argument == "--applications" && index + 1 < argc) {
            applications = argv[++index];
        } else if (argument == "--readonly" && index + 1 < argc) {
            readOnly.emplace_back(argv[++index]);
        } else {
            std::fprintf(stderr, "private_root: unknown argument %s\n", argument.c_str());
            return 125;
        }
    }
    if (index >= argc) {
        std::fprintf(
            stderr,
            "usage: private_root [--applications DIR] [--readonly PATH]... -- COMMAND...\n");
        return 125;
    }
    unsetenv("TAVREL_PRIVATE_ROOT_DIR");
    return runInside(root, applications, readOnly, argv + index);
}
