// Collects what one step of the run did, one report per item the step was about.
#pragma once

#include "Source/run/StepReport.hpp"

#include <functional>
#include <string>
#include <vector>

namespace tavrel {

class Error;

class StepRecorder {
public:
    /// Records the reports of step `step` into `reports`.
    StepRecorder(int step, std::vector<StepReport>& reports) : step_(step), reports_(&reports) {}

    [[nodiscard]] int step() const noexcept { return step_; }

    /// Adds a report of this step about `subject`.
    void add(std::string subject, StepStatus status, std::string errorDescription = {},
             std::string failureReason = {});

    /// Runs `job` for `subject` and records the report it fills in (its status, and for a
    /// failure its error and reason); an error it throws becomes the subject's failure, in words
    /// a person can act on, and is not thrown on.
    void record(std::string subject, const std::function<void(StepReport&)>& job);

    /// Fills in `report` as the failure that `error` describes.
    static void fail(StepReport& report, const Error& error);

private:
    int step_;
    std::vector<StepReport>* reports_;
};

} // namespace tavrel
