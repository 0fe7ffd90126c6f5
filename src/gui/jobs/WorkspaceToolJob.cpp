#include "gui/jobs/WorkspaceToolJob.h"

#include "core/history/History.h"
#include "core/io/AtomicFile.h"
#include "gui/widgets/QtText.h"

#include <atomic>
#include <chrono>

namespace shopkeeper::gui {

namespace {

using Clock = std::chrono::steady_clock;
// A thousand shops read in a second would otherwise queue a thousand progress events.
constexpr auto kProgressInterval = std::chrono::milliseconds(40);

} // namespace

WorkspaceToolJob::WorkspaceToolJob(QObject* parent) : QObject(parent) {}

WorkspaceToolJob::~WorkspaceToolJob()
{
    stop();
}

template <typename Result>
void WorkspaceToolJob::run(std::function<Result(const tools::ToolControl&)> tool,
                           std::function<void(Result)> done)
{
    runner_.start([this, tool = std::move(tool), done = std::move(done)](const JobRun::Ticket& ticket) {
        Clock::time_point last{};
        tools::ToolControl control;
        control.cancel = ticket.cancelFlag.get();
        control.progress = [this, &ticket, &last](std::size_t doneShops, std::size_t total) {
            const auto now = Clock::now();
            if (doneShops != 0 && doneShops != total && now - last < kProgressInterval)
                return;
            last = now;
            runner_.deliver(ticket.id, [this, d = static_cast<int>(doneShops), t = static_cast<int>(total)] {
                emit progress(d, t);
            });
        };
        auto result = tool(control);
        if (ticket.isCancelled())
            return;
        runner_.deliver(ticket.id, [this, done, result = std::move(result)]() mutable {
            runner_.endRun();
            done(std::move(result));
        });
    });
}

void WorkspaceToolJob::findUses(const workspace::Workspace& workspace, std::vector<std::string> ids)
{
    using Found = std::expected<tools::WhereUsedResult, workspace::LoadError>;
    run<Found>(
        [workspace, ids = std::move(ids)](const tools::ToolControl& control) {
            return tools::WhereUsed::find(workspace, ids, control);
        },
        [this](Found found) {
            if (!found)
                emit failed(qs(found.error().message));
            else
                emit usesFound(std::make_shared<const tools::WhereUsedResult>(std::move(*found)));
        });
}

void WorkspaceToolJob::check(const workspace::Workspace& workspace, std::shared_ptr<const void> retired)
{
    using Checked = std::expected<tools::CheckResult, workspace::LoadError>;
    run<Checked>(
        [workspace, retired = std::move(retired)](const tools::ToolControl& control) mutable {
            retired.reset();
            const auto catalogue = tools::checkCatalogueFor(workspace);
            return tools::WorkspaceCheck::run(workspace, catalogue.catalogue, control);
        },
        [this](Checked result) {
            if (!result)
                emit failed(qs(result.error().message));
            else
                emit checked(std::make_shared<const tools::CheckResult>(std::move(*result)));
        });
}

void WorkspaceToolJob::replace(const workspace::Workspace& workspace, std::string from, std::string to,
                               bool apply)
{
    struct Replaced
    {
        std::expected<tools::ReplacePlan, workspace::LoadError> plan;
        std::shared_ptr<const tools::ReplaceOutcome> outcome;
    };
    run<std::shared_ptr<Replaced>>(
        [workspace, from = std::move(from), to = std::move(to), apply](const tools::ToolControl& control) {
            auto replaced = std::make_shared<Replaced>(
                Replaced{tools::ItemReplace::plan(workspace, from, to, control), nullptr});
            if (apply && replaced->plan && !control.cancelled()) {
                io::AtomicFileWriter writer;
                history::History history(workspace.root(), "shopkeeper");
                tools::ReplaceOptions options;
                options.history = &history;
                auto outcome = tools::ItemReplace::apply(*replaced->plan, workspace.shopStringTablePath(),
                                                         writer, options);
                // What an earlier, killed program left half done was rolled back first: say so.
                for (const auto& note : history.notes())
                    outcome.message = note + (outcome.message.empty() ? "" : "\n" + outcome.message);
                replaced->outcome = std::make_shared<const tools::ReplaceOutcome>(std::move(outcome));
            }
            return replaced;
        },
        [this](std::shared_ptr<Replaced> replaced) {
            if (!replaced->plan) {
                emit failed(qs(replaced->plan.error().message));
                return;
            }
            emit this->replaced(std::make_shared<const tools::ReplacePlan>(std::move(*replaced->plan)),
                                replaced->outcome);
        });
}

void WorkspaceToolJob::compare(const workspace::Workspace& a, const workspace::Workspace& b)
{
    using Compared = std::expected<tools::WorkspaceDiffResult, workspace::LoadError>;
    run<Compared>([a, b](const tools::ToolControl& control) { return tools::diffWorkspaces(a, b, control); },
                  [this](Compared result) {
                      if (!result)
                          emit failed(qs(result.error().message));
                      else
                          emit compared(
                              std::make_shared<const tools::WorkspaceDiffResult>(std::move(*result)));
                  });
}

} // namespace shopkeeper::gui
