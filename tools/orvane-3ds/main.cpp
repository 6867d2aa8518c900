#include "tools/orvane-3ds/ModelTool.h"

int main(int argc, char** argv) {
    return orvane::tools::runModelTool(argc, argv, stdout, stderr);
}
