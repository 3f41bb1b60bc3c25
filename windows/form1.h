#pragma once

#include "windows/servicewindow.h"

// The ICQ lookup window: looks up the status of an ICQ number.
class Form1 : public ServiceWindow
{
    Q_OBJECT

public:
    Form1();

private:
    Label *Label4;
    Label *Label3;
    Picture *Image5;
    Picture *Image4;
    Label *Label5;
    Picture *Image3;
    Label *Label2;
    Label *Label1;
    Picture *Image2;
    Picture *Image1;
};
