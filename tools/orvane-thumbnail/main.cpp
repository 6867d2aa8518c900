#include "orvane/sample/Thumbnailer.h"

int main(int argc, char** argv) {
    return orvane::sample::Thumbnailer::run(argc - 1, argv + 1, stderr);
}
