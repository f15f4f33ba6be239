// trevalune-send: sends hex text or UTF-8 text to a printer from the command line, one raw
// document named "AAAAAA" per argument, the way the window does; see send_command.h.

#include <iostream>
#include <string>
#include <vector>

#include "printer/cups/cups_spooler.h"
#include "printer/guarded_main.h"
#include "tools/trevalune-send/send_command.h"

int main(int argc, char** argv) {
    return trevalune::guardedMain("trevalune-send", [&] {
        const std::vector<std::string> arguments(argv + 1, argv + argc);
        trevalune::CupsSpooler spooler;
        return trevalune::runSend(arguments, spooler, std::cout, std::cerr);
    });
}
