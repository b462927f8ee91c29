#include "app/Application.h"

int main(int argc, char** argv) {
    return kvt::runApplication(argc, argv);
}
