#include "widgets/zqbuttonimages.h"

TzqButtonImages::TzqButtonImages(QObject* parent) : QObject(parent) {}

void TzqButtonImages::SetPicUp(const QPixmap& picture)
{
    Assign(FPicUp, picture);
}

void TzqButtonImages::SetPicDown(const QPixmap& picture)
{
    Assign(FPicDown, picture);
}

void TzqButtonImages::SetPicDisabled(const QPixmap& picture)
{
    Assign(FPicDisabled, picture);
}

void TzqButtonImages::SetPicEntered(const QPixmap& picture)
{
    Assign(FPicEntered, picture);
}

void TzqButtonImages::SetMaskBmp(const QImage& mask)
{
    Assign(FMaskBmp, mask);
}

void TzqButtonImages::SetPicX(int x)
{
    Assign(FPicX, x);
}

void TzqButtonImages::SetPicY(int y)
{
    Assign(FPicY, y);
}

void TzqButtonImages::SetCapX(int x)
{
    Assign(FCapX, x);
}

void TzqButtonImages::SetCapY(int y)
{
    Assign(FCapY, y);
}
