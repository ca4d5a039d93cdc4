#pragma once
// Runs the real `pyrelle` program as a user does, in a scratch folder of its own, and collects its
// exit status, standard output and standard error.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace pyrelle::testing {

using bytes = std::vector<std::uint8_t>;

inline std::string read_text(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline bytes read_bytes(const std::string& path)
{
    const std::string text = read_text(path);
    return bytes(text.begin(), text.end());
}

inline std::string shell_quoted(const std::string& arg)
{
    std::string quoted = "'";
    for (char c : arg) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

struct program_result {
    int status = -1;
    std::string out;
    std::string err;
};

class scratch_folder_test : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/pyrelle-cli-test-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }

    void TearDown() override
    {
        if (!dir_.empty()) {
            std::system(("rm -rf " + shell_quoted(dir_)).c_str());
        }
    }

    std::string path(const std::string& name) const { return dir_ + "/" + name; }

    // Runs `pyrelle ARGS...` from the scratch folder.
    program_result run(const std::vector<std::string>& args) const
    {
        std::string command = "cd " + shell_quoted(dir_) + " && " + shell_quoted(PYRELLE_PROGRAM);
        for (const std::string& arg : args) {
            command += " " + shell_quoted(arg);
        }
        command += " >" + shell_quoted(path(".out")) + " 2>" + shell_quoted(path(".err")) + " </dev/null";
        program_result result;
        const int raw = std::system(command.c_str());
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        result.out = read_text(path(".out"));
        result.err = read_text(path(".err"));
        std::remove(path(".out").c_str());
        std::remove(path(".err").c_str());
        return result;
    }

    // Runs a shell command line from the scratch folder (`$PYRELLE` names the program); its exit
    // status, or -1 when it did not exit.
    int shell(const std::string& command) const
    {
        const std::string line = "cd " + shell_quoted(dir_) + " && export PYRELLE=" + shell_quoted(PYRELLE_PROGRAM) +
                                 " && { " + command + "\n}";
        const int raw = std::system(("bash -c " + shell_quoted(line)).c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    // Runs a shell command line like shell(), but returns the signal that ended it (0 when it
    // exited). A command line that ends by exec'ing the program hands this its death: a program
    // killed by SIGTERM and one that exits with status 143 look alike to a shell's `$?`.
    int shell_signal(const std::string& command) const
    {
        const std::string line = "cd " + shell_quoted(dir_) + " && export PYRELLE=" + shell_quoted(PYRELLE_PROGRAM) +
                                 " && { " + command + "\n}";
        const pid_t child = ::fork();
        if (child == 0) {
            ::execl("/bin/bash", "bash", "-c", line.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        int raw = 0;
        if (child < 0 || ::waitpid(child, &raw, 0) != child) {
            return -1;
        }
        return WIFSIGNALED(raw) ? WTERMSIG(raw) : 0;
    }

    // Names in the scratch folder, the harness's own capture files left out.
    std::vector<std::string> files() const;

    std::string dir_;
};

}  // namespace pyrelle::testing

#include <dirent.h>

#include <algorithm>

inline std::vector<std::string> pyrelle::testing::scratch_folder_test::files() const
{
    std::vector<std::string> names;
    if (DIR* d = ::opendir(dir_.c_str())) {
        while (dirent* e = ::readdir(d)) {
            const std::string name = e->d_name;
            if (name != "." && name != ".." && name != ".out" && name != ".err") {
                names.push_back(name);
            }
        }
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}
