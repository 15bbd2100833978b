// TavrelUninstaller: the window that removes Tavrel and all its data from the current account.
#include "Source/window/Application.hpp"

int main(int argc, char** argv) {
    return tavrel::window::runApplication(argc, argv);
}
