#pragma once

/// The words of the receipts' strip and viewer, each defined once.
struct CPictureTexts {
    static constexpr const char* kLabel = "凭证";
    static constexpr const char* kDeleteQuestion = "确定要删除这张凭证吗？";
    static constexpr const char* kChooseCaption = "添加凭证";
    static constexpr const char* kChooseFilter = "图片或PDF (*.jpg *.jpeg *.png *.webp *.pdf)";
    static constexpr const char* kAnyFilter = "所有文件 (*)";
    static constexpr const char* kSaveCaption = "另存为";
    static constexpr const char* kSaveFilter = "JPEG 图片 (*.jpg)";
    static constexpr const char* kSaveFailed = "凭证没有保存！";
    static constexpr const char* kNothingToPaste = "剪贴板里没有图片！";
    static constexpr const char* kPictureArea = "凭证图片";
    /// What a list shows beside a record that has receipts, under the heading kLabel; the
    /// plain mark where no font at hand draws the paperclip.
    static constexpr const char* kListMark = "📎";
    static constexpr const char* kPlainListMark = "✓";
};
