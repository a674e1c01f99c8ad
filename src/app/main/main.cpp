// The installer's process entry. The command line is not read: every start
// runs the same interactive installation.
#include "app/Startup.h"

int main() {
    return RunInstaller();
}
