#ifndef QUILLANE_RUNNER_H
#define QUILLANE_RUNNER_H

#include <iostream>
#include <string>

// quillanectl run: the announcer itself on a schedule directory, playing through aplay on this
// PC until interrupted, telling a person what it announces.
class CRunner {
public:
    struct COptions {
        std::string m_Device; // aplay's -D; empty for the default sound output
        bool m_Trace = false; // the board's own lines instead of one line per announcement
    };

    // a_Given: the directory as the person named it, for the commands suggested. Returns the
    // exit status: 1 when aplay cannot play here or the schedule cannot be loaded.
    static int Run(const std::string& a_Dir, const std::string& a_Given, const COptions& a_Options,
                   std::ostream& a_Out, std::ostream& a_Err);
};

#endif
