#pragma once
// The recognition answers the benchmarks read: the shape the service sends, about 1 KB
// per action, every kind of action in turn. Header only: each benchmark program is one
// source file.
#include <string>
#include <string_view>

namespace bench_answers {

// A JSON string literal holding the given text.
inline std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        out += c;
    }
    out += '"';
    return out;
}

// The content text of action i, of the kind i % 10.
inline std::string contentFor(int i) {
    const std::string n = std::to_string(i);
    std::string out;
    switch (i % 10) {
    case 0:
        out = R"j({"Url":"https://example.com/spring/catalogue/item/)j";
        out.append(n).append(R"j(?ref=scan&lang=fr","IsEmbeddedWebView":true,"IsAnonymousURL":false,)j")
            .append(R"j("ContentType":"text/html"})j");
        return out;
    case 1:
        out = R"j({"VCalendar":"BEGIN:VEVENT\nSUMMARY:Spring fair )j";
        out.append(n).append(R"j(\nDTSTART:20250321T090000Z\nDTEND:20250321T180000Z\nRRULE:FREQ=YEARLY\nEND:VEVENT"})j");
        return out;
    case 2:
        out = R"j({"VCard":"BEGIN:VCARD\nVERSION:3.0\nFN:Atelier )j";
        out.append(n).append(R"j(\nTEL:+33 1 23 45 67 89\nEMAIL:hello@example.com\nEND:VCARD"})j");
        return out;
    case 3:
        out = R"j({"Content":"Have a look at the spring catalogue","Url":"https://example.com/share/)j";
        break;
    case 4:
        out = R"j({"Address":"hello@example.com","Subject":"Spring catalogue )j";
        out.append(n).append(R"j(","Content":"Hello, I would like to know more about the collection."})j");
        return out;
    case 5: out = R"j({"Number":"+33612345678","Content":"SPRING )j"; break;
    case 6: return R"j({"Latitude":45.764,"Longitude":4.8357,"SearchAddress":"Place Bellecour, Lyon"})j";
    case 7: out = R"j({"Number":"+33 4 78 00 00 )j"; break;
    case 8: out = R"j({"Text":"Forty pieces, designed and made in Lyon, with prices valid until May. )j"; break;
    default: out = R"j({"Text":"campaign=spring-2025; item=)j"; break;
    }
    out.append(n).append("\"}");
    return out;
}

inline const std::string& style() {
    static const std::string text =
        R"j({"model":"default","icon":{"display":"true","size":"24","hposition":"left","vposition":"middle"},)j"
        R"j("text":{"color":"rgba(255, 255, 255, 0.9)","opacity":"0.8","font-size":"16","font-weight":"bold",)j"
        R"j("font-style":"normal","display":"true","hposition":"center","vposition":"middle",)j"
        R"j("background-color":"rgba(0, 0, 0, 0)"},"button":{"background-color":"#1A2B3C","opacity":"0.9",)j"
        R"j("radius":"8","height":"16x9","display":"true","image-size":"cover","image-position":"center"}})j";
    return text;
}

// The style with a radius of its own for row i.
inline std::string rowStyle(int i) {
    const std::string radius = R"j("radius":"8")j";
    std::string own = style();
    std::string replacement = R"j("radius":")j";
    replacement.append(std::to_string(i)).append("\"");
    own.replace(own.find(radius), radius.size(), replacement);
    return own;
}

// An answer with the given number of actions. The service gives the rows of an image
// one style text; with `ownStyles` every row gets a text of its own instead (its radius
// differs), so no reading can be shared.
inline std::string make(int actions, bool ownStyles = false) {
    static const char* const kinds[] = {"URL", "CALENDAR", "VCARD", "SHARE", "EMAIL",
                                        "SMS", "MAP",      "PHONE", "TEXT",  "DATA"};
    std::string out = R"j({"Id":"5f1c2a9e-4b7d-4e2a-9c1f-image","Order":2,"Title":"Spring catalogue",)j"
                      R"j("SessionId":"b7d4e0c2-1111-4222-8333-session","DocumentId":"doc-42",)j"
                      R"j("AutoTrigger":false,"LanguageCode":"fr",)j"
                      R"j("BigThumbnailUrl":"https://example.com/thumbs/big/5f1c2a9e.jpg",)j"
                      R"j("TitleStyle":)j";
    out.append(jsonString(style())).append(R"j(,"Actions":[)j");
    for (int i = 0; i < actions; ++i) {
        if (i > 0) out += ',';
        const std::string n = std::to_string(i);
        out.append(R"j({"Id":"action-)j").append(n).append(R"j(-7c1e-4f7a-9d2b","Order":)j").append(n)
            .append(R"j(,"Icon":"https://example.com/icons/spring-2025/action-)j").append(n)
            .append(R"j(.png","Priority":)j").append(std::to_string(i % 3))
            .append(R"j(,"Name":"Action number )j").append(n)
            .append(R"j(: see the spring collection online, with the new shirts, jackets and shoes)j")
            .append(R"j(","LanguageCode":"fr","BackgroundImage":"https://example.com/backgrounds/spring-2025/rows/)j")
            .append(n).append(R"j(.png","Type":")j").append(kinds[i % 10]).append(R"j(","Content":)j")
            .append(jsonString(contentFor(i))).append(R"j(,"Style":)j")
            .append(jsonString(ownStyles ? rowStyle(i) : style())).append("}");
    }
    out.append("]}");
    return out;
}

}  // namespace bench_answers
