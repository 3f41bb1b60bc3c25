#pragma once

#include "windows/servicewindow.h"

// The IRC lookup window: looks up the status of an identity nick@ircserver.
class Form2 : public ServiceWindow
{
    Q_OBJECT

public:
    Form2();

private:
    Label *Label5;
    Label *Label4;
    Picture *Image4;
    Picture *Image5;
    Label *Label3;
    Label *Label2;
    Label *Label1;
    Picture *Image3;
    Picture *Image2;
    Picture *Image1;
};
