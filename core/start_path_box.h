#pragma once
#include <QComboBox>
#include <functional>
#include <string>
#include <vector>

#include "core/start_path_entry.h"

class QCompleter;
class QMimeData;
class QStringListModel;

// The field where a start path is typed or pasted: folder names are offered as the text grows,
// the drop-down holds the start paths used last, and folders dropped onto it are handed on.
// It holds no start path itself; the main window decides what is added.
class TStartPathBox : public QComboBox {
    Q_OBJECT
public:
    explicit TStartPathBox(const std::string& home, QWidget* parent = nullptr);

    std::string TypedText() const;
    // After a refusal: the text stays, selected, for correction.
    void SelectTypedText();
    void ClearTypedText();
    // Puts text in the field, selected, as a refused text is left for correction.
    void SetTypedTextForCorrection(const std::string& text);

    // The recent start paths, newest first; the drop-down shows them.
    std::vector<std::string> RecentPaths() const;
    void SetRecentPaths(const std::vector<std::string>& paths);
    // Puts path first among the recent ones; at most RecentStartPathsLimit stay.
    void RememberRecentPath(const std::string& path);

    // The folder names offered for the text typed now (what the completion shows).
    QStringList OfferedFolders() const;
    QCompleter* FolderCompleter() const { return completer_; }

signals:
    // Enter in the field, with the text as typed.
    void PathEntered(const std::string& typed);
    // A recent path picked from the drop-down.
    void RecentPathPicked(const std::string& path);
    // Something was dropped onto the field that may name folders.
    void PathsDropped(const QMimeData& data);
    // Text of several lines was pasted into the field: its lines, trimmed, the blank ones left out.
    void PathsPasted(const std::vector<std::string>& lines);

protected:
    // The arrow keys and the wheel open the drop-down instead of stepping through it: each step
    // would be a pick, and a pick adds a start path.
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    // A paste is the only edit that brings a line break into the field.
    void TextEdited(const QString& text);
    void OfferFoldersFor(const QString& text);

    TFolderCompletion folders_;
    QStringListModel* offered_ = nullptr;
    QCompleter* completer_ = nullptr;
};

// Lets widget take drops of folders: while something that may name folders is dragged over it,
// the drop is accepted and handed to dropped. Returns the filter installed (owned by widget).
QObject* AcceptFolderDrops(QWidget* widget, std::function<void(const QMimeData&)> dropped);
