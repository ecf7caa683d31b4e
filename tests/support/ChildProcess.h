#pragma once

// Starting programs from the tests the way a user's shell would, on every
// system the tests run on: arguments as UTF-8, standard input empty, and
// standard output and error caught byte for byte.

#include <string>
#include <vector>

struct TProgramRun {
    int exitCode = -1; // -1 when the program could not start or was killed
    std::string out;
    std::string err;
};

TProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments);

// The id of a process that has ended. No new process gets the id while the
// object lives (on Windows; elsewhere ids are handed out in turn and come
// round again only after a long while).
class TEndedProcess {
public:
    TEndedProcess();
    ~TEndedProcess();
    TEndedProcess(const TEndedProcess&) = delete;
    TEndedProcess& operator=(const TEndedProcess&) = delete;
    long Id() const { return m_id; }

private:
    long m_id = 0;
    void* m_handle = nullptr;
};
