#include "catalogue/CatalogueService.h"

#include "catalogue/ItemCatalogue.h"
#include "widgets/QtText.h"

#include <QMetaObject>

namespace shopkeeper::gui {

namespace {

const QString kExternalInUse = QStringLiteral("已加载外置物品ID表！");
const QString kBuiltinOnly = QStringLiteral("内置物品ID仅供参考！");

// The core catalogue as the windows see it.
class CoreLookup : public ItemLookup
{
public:
    explicit CoreLookup(catalogue::ItemCatalogue catalogue) : catalogue_(std::move(catalogue)) {}

    QString nameOf(const QString& id) const override { return qs(catalogue_.idToName(u8(id))); }
    void search(const QString& text, const std::function<bool(const SearchHit&)>& onHit,
                const std::atomic<bool>& cancel) const override
    {
        catalogue_.search(
            u8(text),
            [&](std::string_view id, std::string_view name) {
                return onHit(SearchHit{QString::fromUtf8(id.data(), static_cast<qsizetype>(id.size())),
                                       QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))});
            },
            &cancel);
    }

private:
    catalogue::ItemCatalogue catalogue_;
};

} // namespace

CatalogueService::CatalogueService(std::filesystem::path workspace, QObject* parent)
    : QObject(parent), workspace_(std::move(workspace))
{
    rebuildLookup();
}

CatalogueService::~CatalogueService()
{
    if (loader_.joinable())
        loader_.join();
}

QString CatalogueService::statusText() const
{
    return externalInUse_ ? kExternalInUse : kBuiltinOnly;
}

std::optional<CatalogueService::LoadFailure> CatalogueService::useExternalTable(bool use)
{
    std::optional<LoadFailure> failure;
    external_.reset();
    externalInUse_ = false;
    if (use) {
        // Read afresh at every check: the user may have changed the file meanwhile.
        auto table = catalogue::ExternalItemTable::load(workspace_ / catalogue::kExternalTableFile);
        if (table) {
            external_ = std::make_shared<const catalogue::ExternalItemTable>(std::move(*table));
            externalInUse_ = true;
        } else {
            failure = LoadFailure{QString::fromUtf8(catalogue::kLoadFailedTitle), qs(table.error().message)};
        }
    }
    rebuildLookup();
    emit statusChanged(statusText());
    return failure;
}

void CatalogueService::prepare()
{
    if (builtinReady_ || loading_)
        return;
    loading_ = true;
    // The built-in list takes a moment to read: the window goes on meanwhile.
    loader_ = std::thread([this] {
        (void)catalogue::BuiltinItemList::shared();
        QMetaObject::invokeMethod(
            this,
            [this] {
                loading_ = false;
                builtinReady_ = true;
                rebuildLookup();
                emit ready();
            },
            Qt::QueuedConnection);
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
    const catalogue::BuiltinItemList* builtin = builtinReady_ ? &catalogue::BuiltinItemList::shared() : nullptr;
    lookup_ = std::make_shared<CoreLookup>(catalogue::ItemCatalogue(builtin, external_));
    emit lookupChanged();
}

} // namespace shopkeeper::gui
