#include "main_frame.h"

#include "about_text.h"
#include "output_area_stream_buf.h"

#include <iostream>

const char* const kMainWindowTitle = "VRN - Tessera Statistical Software";

wxBEGIN_EVENT_TABLE(MainFrame, MainFrameVRN)
    EVT_TIMER(kRunTimerId, MainFrame::OnTimer)
    EVT_IDLE(MainFrame::OnIdle)
wxEND_EVENT_TABLE()

MainFrame::MainFrame()
    : MainFrameVRN(nullptr, wxID_ANY, kMainWindowTitle, wxDefaultPosition, wxSize(1100, 750)), m_argc(0),
      m_argv(nullptr), m_savedCoutBuf(nullptr), m_savedCerrBuf(nullptr), m_process(nullptr),
      m_mipProblem(true), m_stdFormulation(true), m_repairSectionWasShown(false), m_bcdSectionWasShown(false)
{
    m_progressGauge->Hide();
    FitOptionsWindow();

    // Everything the program writes to std::cout or std::cerr lands in the output area.
    m_outputBuf = std::make_unique<OutputAreaStreamBuf>(m_outputText);
    m_savedCoutBuf = std::cout.rdbuf(m_outputBuf.get());
    m_savedCerrBuf = std::cerr.rdbuf(m_outputBuf.get());

    m_timer.SetOwner(this, kRunTimerId);
    m_pendingInput.clear();
    m_resultBasePath.clear();
}

MainFrame::~MainFrame()
{
    DetachRunningProcesses();
    ReleaseArgumentVector();

    // The streams must not point at the output area once the base class destroys it.
    std::cout.flush();
    std::cerr.flush();
    std::cout.rdbuf(m_savedCoutBuf);
    std::cerr.rdbuf(m_savedCerrBuf);
}

void MainFrame::FitOptionsWindow()
{
    m_optionsWindow->SetMinClientSize(wxSize(0, 1000));
    m_mainPanel->Layout();
    const wxSize best = m_optionsWindow->GetBestVirtualSize();
    m_optionsWindow->SetMinClientSize(wxSize(best.GetWidth() + 30, 0));
    m_mainPanel->Layout();
    m_mainPanel->Refresh(true);
}

void MainFrame::ReleaseArgumentVector()
{
    if (m_argv != nullptr)
    {
        for (int i = 0; i < m_argc; ++i)
            delete[] m_argv[i];
        delete[] m_argv;
    }
    m_argv = nullptr;
}

void MainFrame::OnAbout(wxCommandEvent& WXUNUSED(event))
{
    std::cout << vrn::AboutBanner() << std::endl;
    std::cout << vrn::AboutAuthors() << std::endl;
}

void MainFrame::OnClearOutput(wxCommandEvent& WXUNUSED(event))
{
    m_outputText->Clear();
    m_clearOutputButton->Hide();
    m_showLogButton->Hide();
    m_showSolutionButton->Hide();
}
