#include "app/CMeteoApp.h"
#include "recording/FileSizeSignal.h"

int main(int argc, char* argv[]) {
    // A recording file that reaches the size limit must not end the program.
    ignoreFileSizeSignal();
    CMeteoApp app(argc, argv);
    return app.RunProgram();
}
