// A step's reports; a job's error becomes its failure.
#include "Source/run/StepRecorder.hpp"

#include "Source/errors/Error.hpp"
#include "Source/jobs/RemoveAppBundleError.hpp"
#include "Source/run/FailureReason.hpp"

#include <exception>

namespace tavrel {

void StepRecorder::add(std::string subject, StepStatus status, std::string errorDescription,
                       std::string failureReason) {
    reports_->push_back(StepReport{step_, std::move(subject), status, std::move(errorDescription),
                                   std::move(failureReason)});
}

void StepRecorder::fail(StepReport& report, const Error& error) {
    report.status = StepStatus::failed;
    report.errorDescription = error.description();
    report.failureReason = error.alert().messageText;
}

void StepRecorder::record(std::string subject, const std::function<void(StepReport&)>& job) {
    StepReport report{step_, std::move(subject), StepStatus::failed, {}, {}};
    try {
        job(report);
    } catch (const jobs::RemoveAppBundleError& error) {
        report.errorDescription = error.description();
        report.failureReason = fileFailureReason(error.error(), report.subject);
    } catch (const Error& error) {
        fail(report, error);
    } catch (const std::exception& error) {
        report.errorDescription = report.failureReason = error.what();
    } catch (...) {
        report.errorDescription = report.failureReason = "unknown error";
    }
    reports_->push_back(std::move(report));
}

} // namespace tavrel
