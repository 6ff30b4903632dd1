#include "FlatButton.h"

FlatButton::FlatButton(QWidget *parent)
    : QWidget(parent)
{
}
