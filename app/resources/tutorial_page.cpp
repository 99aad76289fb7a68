// The tutorial page (app/resources/tutorial.html) as the byte set TutorialPage
// {1, length, bytes}; the build names the file in IMPRINTA_TUTORIAL_PAGE_FILE.
asm(R"(
    .section .rdata,"dr"
    .p2align 2
    .globl _TutorialPage
_TutorialPage:
    .long 1
    .long TutorialPageEnd - TutorialPageData
TutorialPageData:
    .incbin ")" IMPRINTA_TUTORIAL_PAGE_FILE R"("
TutorialPageEnd:
)");
