#include "tools/orvane-image/ImageTool.h"

int main(int argc, char** argv) {
    return orvane::tools::runImageTool(argc, argv, stdout, stderr);
}
