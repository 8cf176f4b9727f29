#include <iostream>

#include "talvo/host/host_session.h"

int main(int argc, char** argv) {
    return talvo_host::RunHost(argc, argv, std::cin, std::cout, std::cerr, talvo_host::StandardInputIsTerminal());
}
