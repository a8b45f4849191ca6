#pragma once
// A fresh settings store, column catalogue and placement area for each main
// window test, with message boxes and modal windows caught.

#include "desktop/core/modal_runner.h"
#include "desktop/main/desktop_startup.h"
#include "desktop/main/frm_main.h"
#include "operations/storage_folder.h"
#include "platform/message_box/message_box.h"

#include "storage_fixture.h"

#include <QSettings>

#include <memory>
#include <vector>

class MainWindowTest : public StorageFolderTest {
protected:
    void SetUp() override
    {
        StorageFolderTest::SetUp();
        ResetStartupState();
        ClearPlacementArea();
        objSettings = std::make_unique<Settings>();
        TheSettings().LoadDefaultSettings();
        objGridColumns = std::make_unique<GridColumns>();
        BuildGridColumns(*objGridColumns, TheSettings().LastGridColWidth());
        SetMsgBoxHandler([this](const MsgBoxRequest& r) {
            boxes.push_back(r);
            return MsgBoxResult::OK;
        });
        SetModalRunner([this](QDialog& d) {
            modals.push_back(d.metaObject()->className());
            return int(QDialog::Accepted);
        });
    }
    void TearDown() override
    {
        SetModalRunner({});
        SetMsgBoxHandler({});
        ResetStartupState();
        ClearPlacementArea();
    }

public:
    static QSettings PlacementArea()
    {
        return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Ostrana Technologies"),
                         QStringLiteral("Velmora 3.1"));
    }
    static void ClearPlacementArea()
    {
        QSettings area(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Ostrana Technologies"),
                       QStringLiteral("Velmora 3.1"));
        area.clear();
        area.sync();
    }

protected:
    // The settings as they are on disk now.
    static Settings OnDisk()
    {
        Settings s;
        EXPECT_TRUE(s.LoadSettings());
        return s;
    }

    std::vector<MsgBoxRequest> boxes;
    std::vector<QString> modals;
};
