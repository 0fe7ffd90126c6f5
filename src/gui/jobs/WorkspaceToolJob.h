#pragma once

#include "core/tools/ItemReplace.h"
#include "core/tools/WhereUsed.h"
#include "core/tools/WorkspaceCheck.h"
#include "core/tools/WorkspaceDiff.h"
#include "core/workspace/Workspace.h"
#include "gui/jobs/JobRunner.h"

#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace shopkeeper::gui {

// Runs one of the workspace tools (where used, replace, check, compare) on a worker thread for a tool
// window. The tool reads every NPC shop; its progress reaches the window at most every few
// milliseconds as "shops done of shops", and its whole result arrives at once when it ends, so
// the window never handles more than one event per step. A new run or cancel() makes whatever
// the old run still delivers stale.
class WorkspaceToolJob : public QObject
{
    Q_OBJECT
public:
    explicit WorkspaceToolJob(QObject* parent = nullptr);
    ~WorkspaceToolJob() override;

    void findUses(const workspace::Workspace& workspace, std::vector<std::string> ids);
    // retired, the result of an earlier check, is freed on the worker.
    void check(const workspace::Workspace& workspace, std::shared_ptr<const void> retired = {});
    // Plans the replace; with apply, writes the plan as soon as it is made (on the same worker,
    // so nothing is read twice), else only the plan arrives.
    void replace(const workspace::Workspace& workspace, std::string from, std::string to, bool apply);
    // Compares the shops of a with those of b.
    void compare(const workspace::Workspace& a, const workspace::Workspace& b);
    bool isRunning() const { return runner_.isRunning(); }
    // Asks the run to stop; whatever it still delivers is dropped.
    void cancel() { runner_.cancel(); }
    // Cancels and waits for the worker to end.
    void stop() { runner_.stop(); }

signals:
    void progress(int done, int total);
    // The workspace could not be loaded; message is the user's text.
    void failed(const QString& message);
    void usesFound(std::shared_ptr<const tools::WhereUsedResult> result);
    void checked(std::shared_ptr<const tools::CheckResult> result);
    // outcome is set when the plan was applied.
    void replaced(std::shared_ptr<const tools::ReplacePlan> plan,
                  std::shared_ptr<const tools::ReplaceOutcome> outcome);
    void compared(std::shared_ptr<const tools::WorkspaceDiffResult> result);

private:
    // Runs tool with a control that reports progress through the window's event queue.
    template <typename Result>
    void run(std::function<Result(const tools::ToolControl&)> tool, std::function<void(Result)> done);

    JobRunner runner_;
};

} // namespace shopkeeper::gui
