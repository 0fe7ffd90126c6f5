#include "catalogue/CatalogueService.h"

namespace shopkeeper::gui {

namespace {

const QString kExternalInUse = QStringLiteral("已加载外置物品ID表！");
const QString kBuiltinOnly = QStringLiteral("内置物品ID仅供参考！");

// Until the tables are read: no name is known.
class EmptyLookup : public ItemLookup
{
public:
    QString nameOf(const QString& id) const override
    {
        return id == QStringLiteral("-1") ? QString() : QStringLiteral("未知物品");
    }
    void search(const QString&, const std::function<bool(const SearchHit&)>&,
                const std::atomic<bool>&) const override
    {
    }
};

} // namespace

CatalogueService::CatalogueService(std::filesystem::path workspace, QObject* parent)
    : QObject(parent), workspace_(std::move(workspace)), lookup_(std::make_shared<EmptyLookup>())
{
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
    externalInUse_ = false;
    external_.reset();
    rebuildLookup();
    emit statusChanged(statusText());
    (void)use;
    return std::nullopt;
}

void CatalogueService::prepare()
{
    if (builtinReady_ || loading_)
        return;
    builtinReady_ = true;
    rebuildLookup();
    emit ready();
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
    emit lookupChanged();
}

} // namespace shopkeeper::gui
