#include "core/about.h"
#include "core/help_pages.h"
#include "platform/Shell.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>
#include <vector>

namespace {

TEST(AboutBox, ShowsNameVersionAndLinkAndOkCloses)
{
    std::vector<std::string> opened;
    platform::SetLauncher([&](const platform::LaunchRequest& request) {
        opened.push_back(request.Uri);
        return 0;
    });
    TF_about about;
    EXPECT_EQ(about.windowTitle(), "About");
    EXPECT_EQ(about.findChild<QLabel*>("Label_program")->text(), "FileKreller");
    EXPECT_EQ(about.findChild<QLabel*>("Label_version")->text(), "v 4.2.1");

    auto* link = about.findChild<QLabel*>("Label_link");
    EXPECT_TRUE(link->text().contains(QString::fromStdString(HomePageAddress())));
    emit link->linkActivated(QString::fromStdString(HomePageAddress()));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(opened[0].starts_with("file://") && opened[0].ends_with("/docs/index.html")) << opened[0];

    QTimer::singleShot(0, &about, [&] { about.findChild<QPushButton*>("btn_ok")->click(); });
    EXPECT_EQ(about.exec(), QDialog::Accepted);
    platform::SetLauncher({});
}

} // namespace
