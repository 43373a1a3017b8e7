#pragma once

// What the page analysers tell their caller while they work: the update window shows the
// found-folder count, the main window's status bar the analysed share of a list page. Every
// method has a do-nothing default, so a caller implements only what it shows.
namespace update {

class AnalysisObserver
{
public:
    virtual ~AnalysisObserver() = default;

    // A sub-category to walk was found on a category page; total is the run's found-folder
    // counter including it.
    virtual void foundFolder(int total) { (void)total; }
    // The share of the list page analysed so far, 0 to 100, reported before each entry.
    virtual void percentAnalysed(int percent) { (void)percent; }
    // Polled by the category analysis before each link: true stops reading the page.
    virtual bool cancelRequested() const { return false; }
};

} // namespace update
