#include "gui/catalogue/CatalogueService.h"

#include "core/catalogue/BuiltinItemList.h"
#include "core/catalogue/ItemPreview.h"
#include "core/catalogue/ItemSearch.h"
#include "gui/widgets/QtText.h"

namespace shopkeeper::gui {

namespace {

QString fromView(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The core catalogue as the windows see it: a copy of the catalogue, which shares its
// read-only tables, so a worker keeps the tables it started with.
class CoreLookup : public ItemLookup
{
public:
    explicit CoreLookup(catalogue::ItemCatalogue catalogue) : catalogue_(std::move(catalogue)) {}

    QString nameOf(const QString& id) const override { return qs(catalogue_.idToName(u8(id))); }
    std::optional<std::vector<QString>> namesOf(const std::vector<shop::ShopPage::Row>& rows,
                                                const std::atomic<bool>& cancel) const override
    {
        const auto preview = catalogue::previewPage(catalogue_, shop::ShopPage::fromRows(rows), &cancel);
        if (!preview)
            return std::nullopt;
        std::vector<QString> names;
        names.reserve(preview->size() * shop::kColumns);
        for (const auto& row : *preview) {
            for (const auto& name : row)
                names.push_back(qs(name));
        }
        return names;
    }
    void search(const QString& text, const std::function<bool(const SearchHit&)>& onHit,
                const std::atomic<bool>& cancel) const override
    {
        (void)catalogue::searchItems(
            catalogue_, u8(text),
            [&](std::vector<catalogue::ItemHit>&& batch, std::size_t) {
                for (const auto& hit : batch) {
                    if (!onHit(SearchHit{qs(hit.id), qs(hit.name)}))
                        return false;
                }
                return true;
            },
            &cancel);
    }

private:
    catalogue::ItemCatalogue catalogue_;
};

class CoreTableSource : public ItemTableSource
{
public:
    bool builtinLoaded() const override { return catalogue::BuiltinItemList::isLoaded(); }
    void loadBuiltin() override { catalogue::BuiltinItemList::preload(); }
    std::shared_ptr<const ItemLookup> view(const catalogue::ItemCatalogue& catalogue,
                                           bool withBuiltin) const override
    {
        if (withBuiltin)
            return std::make_shared<CoreLookup>(catalogue);
        catalogue::ItemCatalogue userTableOnly(emptyList());
        if (const auto* table = catalogue.externalTable())
            userTableOnly.setExternalTable(*table);
        return std::make_shared<CoreLookup>(std::move(userTableOnly));
    }

private:
    static std::shared_ptr<const catalogue::BuiltinItemList> emptyList()
    {
        static const auto list = catalogue::BuiltinItemList::fromGbk({}, {});
        return list;
    }
};

} // namespace

std::unique_ptr<ItemTableSource> makeCoreTableSource()
{
    return std::make_unique<CoreTableSource>();
}

CatalogueService::CatalogueService(std::filesystem::path workspace, std::unique_ptr<ItemTableSource> tables,
                                   QObject* parent)
    : QObject(parent), workspace_(std::move(workspace)),
      tables_(tables ? std::move(tables) : makeCoreTableSource()), builtinReady_(tables_->builtinLoaded())
{
    rebuildLookup();
}

CatalogueService::~CatalogueService()
{
    loader_.stop();
}

QString CatalogueService::statusText() const
{
    return fromView(catalogue_.statusText());
}

std::optional<CatalogueService::LoadFailure> CatalogueService::useExternalTable(bool use)
{
    std::optional<LoadFailure> failure;
    catalogue_.clearExternalTable();
    if (use) {
        // Read afresh at every check: the user may have changed the file meanwhile.
        if (auto loaded = catalogue_.loadExternalTable(workspace_); !loaded)
            failure = LoadFailure{qs(loaded.error().title), qs(loaded.error().message)};
    }
    rebuildLookup();
    emit statusChanged(statusText());
    return failure;
}

void CatalogueService::setWorkspace(std::filesystem::path folder)
{
    workspace_ = std::move(folder);
    if (externalInUse())
        (void)useExternalTable(false);
}

void CatalogueService::prepare()
{
    if (builtinReady_ || loading_)
        return;
    loading_ = true;
    // The built-in list takes a moment to read: the window goes on meanwhile.
    ItemTableSource* tables = tables_.get();
    loader_.start([this, tables](const JobRun::Ticket& ticket) {
        tables->loadBuiltin();
        loader_.deliver(ticket.id, [this] {
            loader_.endRun();
            loading_ = false;
            builtinReady_ = true;
            rebuildLookup();
            emit ready();
        });
    });
}

QMetaObject::Connection CatalogueService::whenReady(const QObject* context, std::function<void()> then)
{
    if (builtinReady_) {
        then();
        return {};
    }
    auto wait = connect(this, &CatalogueService::ready, context, std::move(then), Qt::SingleShotConnection);
    prepare();
    return wait;
}

void CatalogueService::rebuildLookup()
{
    lookup_ = tables_->view(catalogue_, builtinReady_);
    emit lookupChanged();
}

} // namespace shopkeeper::gui
