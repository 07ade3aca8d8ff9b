#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QStyleOptionViewItem>

#include "core/FoundList.h"

namespace {

struct SizeCase {
    std::int64_t bytes;
    const char* shown;
};

// Sizes show as the size kreller counts them: 1 KB = 1000 bytes, truncated, never rounded up.
TEST(FoundListSize, ShownKilobytesAgreeWithTheSizeKreller)
{
    const QLocale saved;
    QLocale::setDefault(QLocale::c());
    const SizeCase cases[] = {
        {0, "0"},        {3, "0.003"},    {99, "0.099"},  {100, "0.100"},     {999, "0.999"},
        {1000, "1.0"},   {1099, "1.0"},   {9999, "9.9"},  {10000, "10"},      {10999, "10"},
        {999999, "999"}, {-5, "0"},       {3LL * 1000 * 1000 * 1000, "3000000"},
    };
    for (const SizeCase& c : cases)
        EXPECT_EQ(TFoundListModel::SizeText(c.bytes), c.shown) << c.bytes << " bytes";
    QLocale::setDefault(QLocale(QLocale::German));
    EXPECT_EQ(TFoundListModel::SizeText(999), "0,999");
    EXPECT_EQ(TFoundListModel::SizeText(1999), "1,9");
    QLocale::setDefault(saved);
}

TEST(FoundListSize, CellKeepsExactBytesInItsTooltipAndRoomBeforeTheDate)
{
    TFoundListModel model;
    FileEntry entry;
    entry.Size = 999999;
    model.Append(entry, "/data/report.pdf");
    model.Flush();
    const QModelIndex cell = model.index(0, TFoundListModel::ColSize);
    EXPECT_EQ(model.data(cell, Qt::ToolTipRole).toString(), "999999 bytes");
    EXPECT_EQ(model.data(cell, Qt::TextAlignmentRole).value<Qt::Alignment>(), Qt::AlignRight | Qt::AlignVCenter);

    QImage image(60, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    QStyleOptionViewItem option;
    option.rect = image.rect();
    option.font = QApplication::font();
    option.fontMetrics = QFontMetrics(option.font);
    option.palette = QApplication::palette();
    option.palette.setColor(QPalette::Text, Qt::black);
    option.state = QStyle::State_Enabled;
    TSizeCellDelegate delegate;
    {
        QPainter painter(&image);
        delegate.paint(&painter, option, cell);
    }
    int lastInkColumn = -1;
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if (qGray(image.pixel(x, y)) < 128)
                lastInkColumn = x;
    EXPECT_GE(lastInkColumn, 0) << "the size is painted";
    EXPECT_LT(lastInkColumn, image.width() - TSizeCellDelegate::Gap) << "and ends short of the date";
}

} // namespace
