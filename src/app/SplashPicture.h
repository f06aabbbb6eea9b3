#pragma once
// The picture of the About splash: the program's icon, name, version and purpose.

#include <QPixmap>

QPixmap MakeSplashPicture();
