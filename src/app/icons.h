#pragma once
// The program's small pictures: the desktop icon theme's where it has a fitting one, else our
// own, drawn at run time so that no image files need to ship.

#include <QIcon>

namespace icons {

QIcon NewFile();
QIcon OpenFile();
QIcon SaveAs();
QIcon NewRecord();
QIcon EditRecord();
QIcon DeleteRecord();
QIcon Search();
QIcon Exit();
QIcon Calendar();
QIcon Calculator();
QIcon Ok();
QIcon Cancel();
// The program's own picture: a bicycle.
QIcon Program();

}  // namespace icons
