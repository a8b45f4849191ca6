#include "engine/control/has_tiff_extension.h"

#include <gtest/gtest.h>

TEST(HasTiffExtension, ExactCaseSuffixesOnly)
{
    for (const char* name : {"a.tif", "a.TIF", "a.tiff", "a.TIFF", "tif", "TIFF", "scan_tif", "/d/x.y.tiff"})
        EXPECT_TRUE(HasTiffExtension(QString::fromUtf8(name))) << name;
    for (const char* name : {"a.Tif", "a.tIF", "a.Tiff", "a.tiF", "a.tif ", "a.bmp", "ti", "", "a.tif/", "a.tiffx"})
        EXPECT_FALSE(HasTiffExtension(QString::fromUtf8(name))) << name;
}
