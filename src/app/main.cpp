#include "app/CMeteoApp.h"

int main(int argc, char* argv[]) {
    CMeteoApp app(argc, argv);
    return app.RunProgram();
}
