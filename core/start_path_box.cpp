#include "core/start_path_box.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QStringListModel>
#include <QWheelEvent>

#include "core/saved_search.h"

namespace {

constexpr int kPathBytesRole = Qt::UserRole;

// Takes the drag and drop events of the widget it watches when they carry folders.
class TFolderDropFilter : public QObject {
public:
    TFolderDropFilter(QObject* parent, std::function<void(const QMimeData&)> dropped)
        : QObject(parent), dropped_(std::move(dropped))
    {
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (!drag->mimeData() || !MayHoldStartPaths(*drag->mimeData()))
                return false;
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            if (!drop->mimeData() || !MayHoldStartPaths(*drop->mimeData()))
                return false;
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            dropped_(*drop->mimeData());
            return true;
        }
        default:
            return false;
        }
    }

private:
    std::function<void(const QMimeData&)> dropped_;
};

} // namespace

QObject* AcceptFolderDrops(QWidget* widget, std::function<void(const QMimeData&)> dropped)
{
    auto* filter = new TFolderDropFilter(widget, std::move(dropped));
    widget->setAcceptDrops(true);
    widget->installEventFilter(filter);
    return filter;
}

TStartPathBox::TStartPathBox(const std::string& home, QWidget* parent) : QComboBox(parent), folders_(home)
{
    setObjectName("CMB_path");
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);  // the recent paths are kept by what is added
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    QLineEdit* edit = lineEdit();
    edit->setObjectName("Edit_path");
    edit->setPlaceholderText("type or paste a folder and press Enter, or drop one here");
    edit->setClearButtonEnabled(true);

    offered_ = new QStringListModel(this);
    completer_ = new QCompleter(offered_, this);
    completer_->setObjectName("Completer_path");
    // The offered names are already those that fit the text; the completer shows them as they are.
    completer_->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    completer_->setCaseSensitivity(Qt::CaseInsensitive);
    edit->setCompleter(completer_);
    // Before the line edit asks the completer, so that it shows the names for the new text.
    connect(edit, &QLineEdit::textEdited, this, &TStartPathBox::TextEdited);
    connect(this, &QComboBox::activated, this, [this](int index) {
        emit RecentPathPicked(itemData(index, kPathBytesRole).toByteArray().toStdString());
    });
    AcceptFolderDrops(edit, [this](const QMimeData& data) { emit PathsDropped(data); });
}

std::string TStartPathBox::TypedText() const
{
    return lineEdit()->text().toStdString();
}

void TStartPathBox::SelectTypedText()
{
    lineEdit()->selectAll();
    lineEdit()->setFocus();
}

void TStartPathBox::ClearTypedText()
{
    setCurrentIndex(-1);
    lineEdit()->clear();
    offered_->setStringList({});
    // An open list, even an empty one, would take the next click meant for another control.
    completer_->popup()->hide();
}

void TStartPathBox::SetTypedTextForCorrection(const std::string& text)
{
    lineEdit()->setText(QString::fromStdString(text));
    SelectTypedText();
}

std::vector<std::string> TStartPathBox::RecentPaths() const
{
    std::vector<std::string> paths;
    for (int i = 0; i < count(); ++i)
        paths.push_back(itemData(i, kPathBytesRole).toByteArray().toStdString());
    return paths;
}

void TStartPathBox::SetRecentPaths(const std::vector<std::string>& paths)
{
    const QString typed = lineEdit()->text();
    clear();
    for (const std::string& path : paths) {
        if (static_cast<std::size_t>(count()) == RecentStartPathsLimit)
            break;
        if (path.empty() || findData(QByteArray::fromStdString(path), kPathBytesRole) >= 0)
            continue;
        // The item keeps the path's exact bytes; its text is only for the eye.
        addItem(QString::fromUtf8(path), QByteArray::fromStdString(path));
    }
    setCurrentIndex(-1);
    lineEdit()->setText(typed);
}

void TStartPathBox::RememberRecentPath(const std::string& path)
{
    std::vector<std::string> paths = RecentPaths();
    PushRecentSearch(paths, path, RecentStartPathsLimit);
    SetRecentPaths(paths);
}

QStringList TStartPathBox::OfferedFolders() const
{
    return offered_->stringList();
}

void TStartPathBox::TextEdited(const QString& text)
{
    if (!text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'))) {
        OfferFoldersFor(text);
        return;
    }
    // The field shows one line; the lines read as the field holds them, the text around the
    // paste included.
    const std::vector<std::string> lines = StartPathLines(text.toStdString());
    if (lines.size() > 1) {
        emit PathsPasted(lines);
        return;
    }
    // One line with a line break around it: the line alone, for Enter as when typed.
    lineEdit()->setText(lines.empty() ? QString() : QString::fromStdString(lines.front()));
    OfferFoldersFor(lineEdit()->text());
}

void TStartPathBox::OfferFoldersFor(const QString& text)
{
    QStringList names;
    for (const std::string& candidate : folders_.Candidates(text.toStdString()))
        names << QString::fromStdString(candidate);
    offered_->setStringList(names);
}

void TStartPathBox::keyPressEvent(QKeyEvent* event)
{
    // The box has the keys its line edit is typed through. Enter is the field's own: the combo
    // box would turn it into a pick of a recent path.
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        event->accept();
        emit PathEntered(TypedText());
        return;
    }
    const bool steps = key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown;
    if (steps && !(event->modifiers() & Qt::AltModifier)) {
        if (count() > 0)
            showPopup();
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}

void TStartPathBox::wheelEvent(QWheelEvent* event)
{
    event->ignore();
}
