#include "app/application.h"
#include "app/windowregistry.h"
#include "windows/frmmain.h"

int main(int argc, char *argv[])
{
    Application::prepare();
    Application app(argc, argv);
    int result = 0;
    {
        // The windows, and their web views with them, go before the
        // application object does.
        WindowRegistry windows;
        WindowRegistry::Show<frmmain>();
        result = app.exec();
    }
    return result;
}
