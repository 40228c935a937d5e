#include "gui/HelpWindow.h"

#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace tamr::qt {

namespace {

QString ReadText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QStringList KeywordsOf(const QString& html)
{
    static const QRegularExpression meta(QStringLiteral("<meta\\s+name=\"keywords\"\\s+content=\"([^\"]*)\""),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = meta.match(html);
    if (!match.hasMatch())
        return {};
    QStringList keywords;
    for (const QString& keyword : match.captured(1).split(';')) {
        const QString trimmed = keyword.trimmed();
        if (!trimmed.isEmpty())
            keywords << trimmed;
    }
    return keywords;
}

} // namespace

HelpCatalogue HelpCatalogue::Load(const QString& folder)
{
    HelpCatalogue catalogue;
    const QStringList lines = ReadText(folder + QStringLiteral("/contents.txt")).split('\n');
    for (const QString& line : lines) {
        const qsizetype bar = line.indexOf('|');
        if (bar <= 0)
            continue;
        Topic topic{line.mid(bar + 1).trimmed(), line.left(bar).trimmed()};
        for (const QString& keyword : KeywordsOf(ReadText(folder + '/' + topic.page))) {
            QStringList& pages = catalogue.index[keyword];
            if (!pages.contains(topic.page))
                pages << topic.page;
        }
        catalogue.topics.push_back(std::move(topic));
    }
    return catalogue;
}

HelpWindow::HelpWindow(QString folder, QWidget* parent)
    : QSplitter(parent), folder_(std::move(folder)), catalogue_(HelpCatalogue::Load(folder_)),
      tabs_(new QTabWidget(this)), contents_(new QTreeWidget), indexSearch_(new QLineEdit), index_(new QListWidget),
      browser_(new QTextBrowser(this))
{
    setWindowTitle(tr("tamr Help"));
    setWindowFlag(Qt::Window);

    contents_->setHeaderHidden(true);
    for (const HelpCatalogue::Topic& topic : catalogue_.topics) {
        auto* item = new QTreeWidgetItem(contents_, QStringList{topic.title});
        item->setData(0, Qt::UserRole, topic.page);
    }
    connect(contents_, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { ShowPage(item->data(0, Qt::UserRole).toString()); });
    connect(contents_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { ShowPage(item->data(0, Qt::UserRole).toString()); });
    tabs_->addTab(contents_, tr("Contents"));

    auto* indexPage = new QWidget;
    auto* indexLayout = new QVBoxLayout(indexPage);
    indexSearch_->setPlaceholderText(tr("Type the first letters of a word"));
    indexLayout->addWidget(indexSearch_);
    indexLayout->addWidget(index_);
    for (const auto& [keyword, pages] : catalogue_.index) {
        auto* item = new QListWidgetItem(keyword, index_);
        item->setData(Qt::UserRole, pages.front());
    }
    connect(indexSearch_, &QLineEdit::textChanged, this, &HelpWindow::FilterIndex);
    connect(indexSearch_, &QLineEdit::returnPressed, this, &HelpWindow::OpenIndexEntry);
    const auto openEntry = [this](const QListWidgetItem* item) { ShowPage(item->data(Qt::UserRole).toString()); };
    connect(index_, &QListWidget::itemActivated, this, openEntry);
    connect(index_, &QListWidget::itemClicked, this, openEntry);
    tabs_->addTab(indexPage, tr("Index"));

    browser_->setOpenExternalLinks(false);
    addWidget(tabs_);
    addWidget(browser_);
    setStretchFactor(1, 3);
    resize(820, 560);
}

void HelpWindow::ShowFinder()
{
    tabs_->setCurrentWidget(contents_);
    if (browser_->source().isEmpty() && !catalogue_.topics.empty())
        ShowPage(catalogue_.topics.front().page);
    show();
    raise();
    activateWindow();
}

void HelpWindow::ShowPage(const QString& page)
{
    // Absolute addresses, so that the links between the pages resolve.
    const QString path = folder_ + QLatin1Char('/') + page;
    browser_->setSource(path.startsWith(':') ? QUrl(QStringLiteral("qrc") + path) : QUrl::fromLocalFile(path));
}

void HelpWindow::FilterIndex(const QString& text)
{
    // Like the index of a help finder: jump to the first entry that starts with the text.
    for (int row = 0; row < index_->count(); ++row) {
        if (index_->item(row)->text().startsWith(text, Qt::CaseInsensitive)) {
            index_->setCurrentRow(row);
            index_->scrollToItem(index_->item(row), QAbstractItemView::PositionAtTop);
            return;
        }
    }
}

void HelpWindow::OpenIndexEntry()
{
    if (const QListWidgetItem* item = index_->currentItem())
        ShowPage(item->data(Qt::UserRole).toString());
}

} // namespace tamr::qt
