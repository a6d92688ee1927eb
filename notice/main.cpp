// Quorvix_NoVSTHost: tells a user who starts the package directly that Quorvix runs inside a
// VST 2.x host, in German and English, and ends when its window is closed.
#include "notice/icons.h"
#include "notice/notice_text.h"

#include <gtk/gtk.h>

#include <string>

namespace {

using namespace quorvix::notice;

// Dialog units of an 8-point dialog font, in pixels.
constexpr double kUnitX = 1.5;
constexpr double kUnitY = 1.625;
constexpr int kIconSizes[] = {16, 32, 48};
const char* const kTitle = "Quorvix_NoVSTHost";
const char* const kAboutTitle = "Info \xC3\xBC" "ber Quorvix_NoVSTHost";
// String 101 without its access-key marker.
const char* const kAboutEntry = "Info \xC3\xBC" "ber Quorvix_NoVSTHost...";
const char* const kVersion = "Quorvix_NoVSTHost Version 1.0";
const char* const kAttribution = "Part of the Quorvix synthesizer for VST 2.x hosts";
const char* const kAddress = "https://quorvix.org/";

int px(double units, double scale) { return static_cast<int>(units * scale + 0.5); }

void place(GtkWidget* fixed, GtkWidget* child, double x, double y, double w = 0, double h = 0)
{
    if (w > 0 && h > 0)
        gtk_widget_set_size_request(child, px(w, kUnitX), px(h, kUnitY));
    gtk_fixed_put(GTK_FIXED(fixed), child, px(x, kUnitX), px(y, kUnitY));
}

GtkWidget* imageOf(GdkPixbuf* pixbuf)
{
    GtkWidget* image = gtk_image_new_from_pixbuf(pixbuf);
    g_object_unref(pixbuf);
    return image;
}

// Read-only but selectable, so the addresses can be copied.
GtkWidget* textBox(const std::string& text)
{
    GtkWidget* view = gtk_text_view_new();
    gtk_text_view_set_editable(GTK_TEXT_VIEW(view), FALSE);
    gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(view), GTK_WRAP_WORD);
    gtk_text_view_set_left_margin(GTK_TEXT_VIEW(view), 3);
    gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(view)), text.c_str(), -1);
    GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scroller), GTK_SHADOW_IN);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
    gtk_container_add(GTK_CONTAINER(scroller), view);
    return scroller;
}

GtkWidget* boldLabel(const char* text)
{
    GtkWidget* label = gtk_label_new(nullptr);
    gchar* markup = g_markup_printf_escaped("<b>%s</b>", text);
    gtk_label_set_markup(GTK_LABEL(label), markup);
    g_free(markup);
    gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
    return label;
}

void setIcons(GtkWindow* window)
{
    GList* icons = nullptr;
    for (int size : kIconSizes)
        icons = g_list_append(icons, logoIcon(size));
    gtk_window_set_icon_list(window, icons);
    g_list_free_full(icons, g_object_unref);
}

void closeAbout(GtkDialog* dialog) { gtk_dialog_response(dialog, GTK_RESPONSE_OK); }

void showAbout(GtkWidget*, gpointer parent)
{
    GtkWidget* dialog = gtk_dialog_new();
    gtk_window_set_title(GTK_WINDOW(dialog), kAboutTitle);
    gtk_window_set_transient_for(GTK_WINDOW(dialog), GTK_WINDOW(parent));
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    gtk_window_set_resizable(GTK_WINDOW(dialog), FALSE);
    setIcons(GTK_WINDOW(dialog));
    GtkWidget* fixed = gtk_fixed_new();
    gtk_widget_set_size_request(fixed, px(235, kUnitX), px(55, kUnitY));
    place(fixed, imageOf(logoIcon(32)), 11, 17);
    place(fixed, gtk_label_new(kVersion), 40, 10);
    GtkWidget* ok = gtk_button_new_with_label("OK");
    place(fixed, ok, 178, 7, 50, 14);
    place(fixed, gtk_label_new(kAttribution), 40, 25);
    place(fixed, gtk_label_new(kAddress), 40, 36);
    g_signal_connect_swapped(ok, "clicked", G_CALLBACK(closeAbout), dialog);
    gtk_container_add(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(dialog))), fixed);
    gtk_widget_set_can_default(ok, TRUE);
    gtk_widget_show_all(dialog);
    gtk_widget_grab_default(ok);
    gtk_widget_grab_focus(ok);
    gtk_dialog_run(GTK_DIALOG(dialog)); // OK, Escape and the close box end it
    gtk_widget_destroy(dialog);
}

gboolean onKey(GtkWidget*, GdkEventKey* event, gpointer)
{
    if (event->keyval != GDK_KEY_Escape)
        return FALSE;
    gtk_main_quit();
    return TRUE;
}

GtkWidget* noticeWindow()
{
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), kTitle);
    gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
    setIcons(GTK_WINDOW(window));
    GtkWidget* fixed = gtk_fixed_new();
    gtk_widget_set_size_request(fixed, px(320, kUnitX), px(185, kUnitY));

    GtkWidget* ok = gtk_button_new_with_label("OK");
    place(fixed, ok, 135, 164, 50, 14);
    place(fixed, imageOf(germanFlagIcon()), 7, 7);
    place(fixed, boldLabel("ACHTUNG:"), 29, 7, 36, 8);
    place(fixed, textBox(germanText()), 29, 17, 284, 59);
    place(fixed, gtk_separator_new(GTK_ORIENTATION_HORIZONTAL), 7, 80, 306, 1);
    place(fixed, imageOf(britishFlagIcon()), 7, 84);
    place(fixed, boldLabel("ATTENTION:"), 29, 84, 42, 8);
    place(fixed, textBox(englishText()), 29, 94, 284, 59);
    place(fixed, gtk_separator_new(GTK_ORIENTATION_HORIZONTAL), 7, 157, 306, 1);
    // GTK windows have no window menu: the about box opens from a button beside OK.
    GtkWidget* about = gtk_button_new_with_label(kAboutEntry);
    place(fixed, about, 203, 164, 110, 14);

    gtk_container_add(GTK_CONTAINER(window), fixed);
    g_signal_connect(ok, "clicked", G_CALLBACK(gtk_main_quit), nullptr);
    g_signal_connect(about, "clicked", G_CALLBACK(showAbout), window);
    g_signal_connect(window, "delete-event", G_CALLBACK(gtk_main_quit), nullptr);
    g_signal_connect(window, "key-press-event", G_CALLBACK(onKey), nullptr);
    gtk_widget_set_can_default(ok, TRUE);
    gtk_widget_show_all(window);
    gtk_widget_grab_default(ok);
    gtk_widget_grab_focus(ok);
    return window;
}

} // namespace

// The dialog font of the layout: 8 points.
void useDialogFont()
{
    GtkCssProvider* css = gtk_css_provider_new();
    gtk_css_provider_load_from_data(css, "* { font: 8pt Sans; }", -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(css);
}

int main(int, char**)
{
    // The command line is ignored, GTK's own options included.
    if (!gtk_init_check(nullptr, nullptr))
        return 1;
    useDialogFont();
    noticeWindow();
    gtk_main();
    return 0;
}
