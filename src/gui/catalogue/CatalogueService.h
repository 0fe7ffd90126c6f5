#pragma once

#include "core/catalogue/ItemCatalogue.h"
#include "gui/catalogue/ItemLookup.h"
#include "gui/catalogue/ItemTableSource.h"
#include "gui/jobs/JobRunner.h"

#include <QObject>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

namespace shopkeeper::gui {

// The item catalogue as the windows use it: whether the user's table id-name.txt is in use
// (the main window's 外置ID选择框), the status text the preview and search windows show, and
// the current lookup view. The built-in list is loaded once per process by a job runner;
// ready() tells when it is there, and until then views only know the user's table.
class CatalogueService : public QObject
{
    Q_OBJECT
public:
    // Over the core catalogue when tables is null.
    explicit CatalogueService(std::filesystem::path workspace, std::unique_ptr<ItemTableSource> tables = {},
                              QObject* parent = nullptr);
    ~CatalogueService() override;

    struct LoadFailure
    {
        QString title;
        QString message;
    };
    // The check box's new state. Checking reads the file again; a file that is missing or has
    // no TAB gives the failure to show, and the table stays out of use.
    std::optional<LoadFailure> useExternalTable(bool use);
    bool externalInUse() const { return catalogue_.usesExternalTable(); }
    // The folder id-name.txt is read from from now on; a table read from the old one goes out
    // of use (the status changes).
    void setWorkspace(std::filesystem::path folder);
    QString statusText() const;

    // Starts loading the built-in list unless it is loaded or loading.
    void prepare();
    bool isReady() const { return builtinReady_; }
    // Runs then, in context, once the built-in list is there: at once when it is, else when its
    // load (started here if need be) ends. The wait is the returned connection, empty when then
    // has run: disconnect it to drop the wait. For work that needs every name, such as a
    // preview fill or a search.
    QMetaObject::Connection whenReady(const QObject* context, std::function<void()> then);

    // The tables as they are now; never null.
    std::shared_ptr<const ItemLookup> lookup() const { return lookup_; }

signals:
    void statusChanged(const QString& text);
    void lookupChanged();
    void ready();

private:
    void rebuildLookup();

    std::filesystem::path workspace_;
    std::unique_ptr<ItemTableSource> tables_;
    bool builtinReady_ = false;
    bool loading_ = false;
    catalogue::ItemCatalogue catalogue_;
    std::shared_ptr<const ItemLookup> lookup_;
    JobRunner loader_;
};

} // namespace shopkeeper::gui
