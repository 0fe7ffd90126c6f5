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

} // namespace

CatalogueService::CatalogueService(std::filesystem::path workspace, QObject* parent)
    : QObject(parent), workspace_(std::move(workspace)), builtinReady_(catalogue::BuiltinItemList::isLoaded())
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
    loader_.start([this](const JobRun::Ticket& ticket) {
        catalogue::BuiltinItemList::preload();
        loader_.deliver(ticket.id, [this] {
            loader_.endRun();
            loading_ = false;
            builtinReady_ = true;
            rebuildLookup();
            emit ready();
        });
    });
}

void CatalogueService::setLookupForTesting(std::shared_ptr<const ItemLookup> lookup)
{
    testing_ = true;
    builtinReady_ = true;
    lookup_ = std::move(lookup);
    emit lookupChanged();
}

void CatalogueService::rebuildLookup()
{
    if (testing_)
        return;
    // Until the built-in list is loaded, a view knows only the user's table: none of its
    // names may load the list on this thread.
    if (builtinReady_) {
        lookup_ = std::make_shared<CoreLookup>(catalogue_);
    } else {
        catalogue::ItemCatalogue userTableOnly(emptyList());
        if (const auto* table = catalogue_.externalTable())
            userTableOnly.setExternalTable(*table);
        lookup_ = std::make_shared<CoreLookup>(std::move(userTableOnly));
    }
    emit lookupChanged();
}

std::shared_ptr<const catalogue::BuiltinItemList> CatalogueService::emptyList()
{
    static const auto list = catalogue::BuiltinItemList::fromGbk({}, {});
    return list;
}

} // namespace shopkeeper::gui
