// Linked into talvo-host.exe only. The C runtime opens the standard streams
// in text mode, which turns every "\n" written into "\r\n" and ends the input
// at the first byte 26; the stand-in host passes call texts and answers as
// bytes, so it must see and print exactly the bytes it is given and gets back.

#include <fcntl.h>
#include <io.h>
#include <stdio.h>

namespace {

struct BinaryStandardStreams {
    BinaryStandardStreams() {
        _setmode(_fileno(stdin), _O_BINARY);
        _setmode(_fileno(stdout), _O_BINARY);
        _setmode(_fileno(stderr), _O_BINARY);
    }
};

// Runs before main, and so before the first byte is read or written.
const BinaryStandardStreams binaryStandardStreams;

}  // namespace
