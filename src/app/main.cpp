#include "app/CZANApp.h"

int main(int argc, char** argv)
{
    return CZANApp::Run(argc, argv);
}
