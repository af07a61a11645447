// Draws Brindle's icons, pictures and window backgrounds. The results are committed under res/,
// so the build never runs this; run res/artwork/make-artwork.sh after changing a drawing.
//
//   MakeArtwork OUTDIR            writes OUTDIR/icons/*.png, OUTDIR/icons/*.ico and OUTDIR/*.bmp
//   MakeArtwork --sheet OUTDIR FILE.png
//                                 renders what OUTDIR holds into one contact sheet for review
#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

constexpr double kTau = 6.283185307179586;
const int kIconSizes[] = {16, 32, 48};

// Every drawing works on a 48-unit square; the painter scales it to the size being made. Small
// sizes get thicker outlines so the shapes stay readable at 16 pixels.
using Drawing = std::function<void(QPainter&, double outline)>;

QPen Outline(const QColor& colour, double width) {
  QPen pen(colour, width);
  pen.setJoinStyle(Qt::RoundJoin);
  pen.setCapStyle(Qt::RoundCap);
  return pen;
}

void DrawBandage(QPainter& p, double outline, QPointF centre, double length, double angle,
                 QColor strip) {
  p.save();
  p.translate(centre);
  p.rotate(angle);
  const double width = length * 0.4;
  const QRectF body(-length / 2, -width / 2, length, width);
  p.setPen(Outline(strip.darker(230), outline));
  p.setBrush(strip);
  p.drawRoundedRect(body, width / 2, width / 2);
  // The gauze pad in the middle.
  const QRectF pad(-length * 0.16, -width * 0.36, length * 0.32, width * 0.72);
  p.setPen(Outline(strip.darker(170), outline * 0.7));
  p.setBrush(strip.lighter(135));
  p.drawRoundedRect(pad, 1.5, 1.5);
  // Breathing holes on both wings.
  p.setPen(Qt::NoPen);
  p.setBrush(strip.darker(160));
  for (int side : {-1, 1}) {
    for (int i = 0; i < 2; ++i) {
      for (int j = -1; j <= 1; j += 2) {
        const double x = side * (length * 0.27 + i * length * 0.09);
        p.drawEllipse(QPointF(x, j * width * 0.17), length * 0.025 + 0.3, length * 0.025 + 0.3);
      }
    }
  }
  p.restore();
}

void DrawCartridge(QPainter& p, double outline, const QRectF& r) {
  // Grey shell with bevelled top corners, a label window and grip ridges below it.
  const double cut = r.width() * 0.14;
  QPainterPath shell;
  shell.moveTo(r.left() + cut, r.top());
  shell.lineTo(r.right() - cut, r.top());
  shell.lineTo(r.right(), r.top() + cut);
  shell.lineTo(r.right(), r.bottom() - 2);
  shell.quadTo(r.right(), r.bottom(), r.right() - 2, r.bottom());
  shell.lineTo(r.left() + 2, r.bottom());
  shell.quadTo(r.left(), r.bottom(), r.left(), r.bottom() - 2);
  shell.lineTo(r.left(), r.top() + cut);
  shell.closeSubpath();
  QLinearGradient shellFill(r.topLeft(), r.bottomRight());
  shellFill.setColorAt(0, QColor(196, 196, 206));
  shellFill.setColorAt(1, QColor(140, 140, 152));
  p.setPen(Outline(QColor(44, 44, 56), outline));
  p.setBrush(shellFill);
  p.drawPath(shell);

  const QRectF label(r.left() + r.width() * 0.16, r.top() + r.height() * 0.14, r.width() * 0.68,
                     r.height() * 0.46);
  QLinearGradient labelFill(label.topLeft(), label.bottomLeft());
  labelFill.setColorAt(0, QColor(92, 168, 236));
  labelFill.setColorAt(1, QColor(120, 64, 176));
  p.setPen(Outline(QColor(44, 44, 56), outline * 0.7));
  p.setBrush(labelFill);
  p.drawRoundedRect(label, 1.5, 1.5);
  // A sun over hills on the label, so the cartridge reads as a game and not a box.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 214, 90));
  p.drawEllipse(QPointF(label.right() - label.width() * 0.28, label.top() + label.height() * 0.32),
                label.width() * 0.12, label.width() * 0.12);
  QPainterPath hills;
  hills.moveTo(label.left(), label.bottom());
  hills.quadTo(label.left() + label.width() * 0.3, label.top() + label.height() * 0.35,
               label.left() + label.width() * 0.6, label.bottom() - label.height() * 0.2);
  hills.quadTo(label.right() - label.width() * 0.15, label.bottom() - label.height() * 0.45,
               label.right(), label.bottom() - label.height() * 0.1);
  hills.lineTo(label.right(), label.bottom());
  hills.closeSubpath();
  p.setBrush(QColor(70, 150, 80));
  p.drawPath(hills);

  p.setPen(Outline(QColor(84, 84, 96), outline * 0.8));
  const double ridgeTop = label.bottom() + r.height() * 0.1;
  for (int i = 0; i < 3; ++i) {
    const double y = ridgeTop + i * r.height() * 0.09;
    if (y > r.bottom() - 2)
      break;
    p.drawLine(QPointF(r.left() + r.width() * 0.22, y), QPointF(r.right() - r.width() * 0.22, y));
  }
}

void DrawPage(QPainter& p, double outline, const QRectF& r) {
  const double fold = r.width() * 0.32;
  QPainterPath page;
  page.moveTo(r.topLeft());
  page.lineTo(r.right() - fold, r.top());
  page.lineTo(r.right(), r.top() + fold);
  page.lineTo(r.bottomRight());
  page.lineTo(r.bottomLeft());
  page.closeSubpath();
  p.setPen(Outline(QColor(60, 64, 84), outline));
  p.setBrush(QColor(250, 250, 246));
  p.drawPath(page);
  QPainterPath corner;
  corner.moveTo(r.right() - fold, r.top());
  corner.lineTo(r.right() - fold, r.top() + fold);
  corner.lineTo(r.right(), r.top() + fold);
  corner.closeSubpath();
  p.setBrush(QColor(206, 210, 224));
  p.drawPath(corner);
  // Lines of text.
  p.setPen(Outline(QColor(150, 156, 178), outline * 0.9));
  for (int i = 0; i < 4; ++i) {
    const double y = r.top() + fold + 3 + i * r.height() * 0.12;
    const double right = (i == 3) ? r.left() + r.width() * 0.55 : r.right() - r.width() * 0.16;
    p.drawLine(QPointF(r.left() + r.width() * 0.16, y), QPointF(right, y));
  }
}

void DrawGamepad(QPainter& p, double outline) {
  // One outline around both grips and the bridge between them.
  QPainterPath left, right, bridge;
  left.addEllipse(QPointF(14, 27), 12, 12);
  right.addEllipse(QPointF(34, 27), 12, 12);
  bridge.addRect(QRectF(14, 17, 20, 18));
  const QPainterPath body = left.united(right).united(bridge);
  QLinearGradient fill(QPointF(0, 15), QPointF(0, 39));
  fill.setColorAt(0, QColor(232, 232, 240));
  fill.setColorAt(1, QColor(168, 168, 184));
  p.setPen(Outline(QColor(40, 40, 54), outline));
  p.setBrush(fill);
  p.drawPath(body);
  // Direction pad.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(44, 44, 52));
  p.drawRoundedRect(QRectF(8.5, 24.5, 11, 5), 1, 1);
  p.drawRoundedRect(QRectF(11.5, 21.5, 5, 11), 1, 1);
  // Four face buttons.
  const struct {
    double dx, dy;
    QColor colour;
  } buttons[] = {{0, -4.8, QColor(60, 110, 220)},
                 {4.8, 0, QColor(220, 50, 50)},
                 {0, 4.8, QColor(240, 196, 40)},
                 {-4.8, 0, QColor(50, 170, 80)}};
  for (const auto& b : buttons) {
    p.setPen(Outline(b.colour.darker(200), outline * 0.6));
    p.setBrush(b.colour);
    p.drawEllipse(QPointF(34 + b.dx, 27 + b.dy), 2.7, 2.7);
  }
}

// The five icons the program embeds, by the names the code knows them by.
struct Icon {
  const char* name;
  Drawing draw;
};

const QColor kTan(234, 178, 120);
const QColor kBlueStrip(120, 176, 236);

const Icon kIcons[] = {
    // The application: a game pad with a patch stuck on its corner.
    {"app",
     [](QPainter& p, double o) {
       DrawGamepad(p, o);
       DrawBandage(p, o, QPointF(33, 12), 24, -35, kTan);
     }},
    // A patch: the bandage alone.
    {"patch", [](QPainter& p, double o) { DrawBandage(p, o, QPointF(24, 24), 46, -45, kTan); }},
    // A ROM: the cartridge.
    {"rom", [](QPainter& p, double o) { DrawCartridge(p, o, QRectF(7, 3, 34, 42)); }},
    // A patch file: a page with a bandage across it.
    {"patchfile",
     [](QPainter& p, double o) {
       DrawPage(p, o, QRectF(8, 2, 30, 44));
       DrawBandage(p, o, QPointF(26, 32), 34, -40, kTan);
     }},
    // A patched game: the cartridge with a blue bandage across it.
    {"patchedrom",
     [](QPainter& p, double o) {
       DrawCartridge(p, o, QRectF(5, 3, 34, 42));
       DrawBandage(p, o, QPointF(28, 30), 32, -40, kBlueStrip);
     }},
};

// The Options dialog's page icons, written as .ico files beside the program.
void DrawCog(QPainter& p, double outline, QPointF centre, double radius, int teeth, QColor metal) {
  QPainterPath cog;
  const double inner = radius * 0.78;
  for (int i = 0; i < teeth * 4; ++i) {
    // Each tooth: two points on the outer circle, two on the inner one.
    const double angle = kTau * i / (teeth * 4);
    const double r = (i % 4 == 1 || i % 4 == 2) ? radius : inner;
    const QPointF point(centre.x() + r * std::cos(angle), centre.y() + r * std::sin(angle));
    if (i == 0)
      cog.moveTo(point);
    else
      cog.lineTo(point);
  }
  cog.closeSubpath();
  QPainterPath hole;
  hole.addEllipse(centre, radius * 0.3, radius * 0.3);
  QRadialGradient fill(centre, radius);
  fill.setColorAt(0, metal.lighter(140));
  fill.setColorAt(1, metal);
  p.setPen(Outline(metal.darker(260), outline));
  p.setBrush(fill);
  p.drawPath(cog.subtracted(hole));
}

void DrawMonitor(QPainter& p, double outline, const QRectF& r) {
  p.setPen(Outline(QColor(40, 40, 54), outline));
  p.setBrush(QColor(196, 196, 206));
  p.drawRoundedRect(r, 3, 3);
  const QRectF screen = r.adjusted(4, 4, -4, -7);
  QLinearGradient sky(screen.topLeft(), screen.bottomLeft());
  sky.setColorAt(0, QColor(92, 168, 236));
  sky.setColorAt(1, QColor(170, 210, 250));
  p.setPen(Outline(QColor(40, 40, 54), outline * 0.7));
  p.setBrush(sky);
  p.drawRect(screen);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(70, 150, 80));
  p.drawRect(QRectF(screen.left(), screen.bottom() - screen.height() * 0.3, screen.width(),
                    screen.height() * 0.3));
  // A small hero on the grass, so the screen shows a game.
  p.setBrush(QColor(220, 60, 50));
  p.drawRect(QRectF(screen.left() + screen.width() * 0.3, screen.bottom() - screen.height() * 0.55,
                    screen.width() * 0.12, screen.height() * 0.26));
  p.setPen(Outline(QColor(40, 40, 54), outline));
  p.setBrush(QColor(150, 150, 162));
  p.drawRect(QRectF(r.center().x() - 5, r.bottom(), 10, 3));
}

const Icon kPageIcons[] = {
    // Preferences: two cogs.
    {"opt",
     [](QPainter& p, double o) {
       DrawCog(p, o, QPointF(19, 19), 15, 8, QColor(98, 128, 168));
       DrawCog(p, o, QPointF(35, 34), 10, 6, QColor(200, 150, 60));
     }},
    // The emulator: a screen with a game on it and the pad in front.
    {"zsnes",
     [](QPainter& p, double o) {
       DrawMonitor(p, o, QRectF(4, 3, 40, 30));
       p.save();
       p.translate(12, 21);
       p.scale(0.62, 0.62);
       DrawGamepad(p, o / 0.62);
       p.restore();
     }},
    // ROM options: the cartridge.
    {"snescart", [](QPainter& p, double o) { DrawCartridge(p, o, QRectF(7, 3, 34, 42)); }},
    // About: an "i" on a blue disc.
    {"info",
     [](QPainter& p, double o) {
       QRadialGradient disc(QPointF(18, 16), 26);
       disc.setColorAt(0, QColor(110, 170, 240));
       disc.setColorAt(1, QColor(30, 80, 170));
       p.setPen(Outline(QColor(20, 50, 110), o));
       p.setBrush(disc);
       p.drawEllipse(QPointF(24, 24), 21, 21);
       p.setPen(Qt::NoPen);
       p.setBrush(Qt::white);
       p.drawEllipse(QPointF(24, 13.5), 3.6, 3.6);
       p.drawRoundedRect(QRectF(20.5, 20, 7, 17), 1.5, 1.5);
       p.drawRect(QRectF(17.5, 34, 13, 3.5));
       p.drawRect(QRectF(17.5, 20, 6, 3));
     }},
};
constexpr int kPageIconSize = 32;
constexpr int kLargeAppIconSize = 128;

QImage RenderIcon(const Icon& icon, int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 48.0, size / 48.0);
  // Outline about one device pixel at 16, a little heavier at 48.
  const double outline = size <= 16 ? 3.0 : size <= 32 ? 1.8 : 1.4;
  icon.draw(p, outline);
  p.end();
  return image.convertToFormat(QImage::Format_ARGB32);
}

// Background tiles: every colour is a function of sines whose periods divide the tile, so the
// edges meet seamlessly. They stay dark because the window draws white text over them.
QRgb Mix(const QColor& a, const QColor& b, double t) {
  t = std::clamp(t, 0.0, 1.0);
  return qRgb(int(a.red() + (b.red() - a.red()) * t + 0.5),
              int(a.green() + (b.green() - a.green()) * t + 0.5),
              int(a.blue() + (b.blue() - a.blue()) * t + 0.5));
}

QImage RenderTile(int size, const std::function<QRgb(double u, double v)>& colourAt) {
  QImage image(size, size, QImage::Format_RGB888);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      image.setPixel(x, y, colourAt(double(x) / size, double(y) / size));
    }
  }
  return image;
}

// Swirling psychedelic bands in violet and teal.
QRgb EarthBoundAt(double u, double v) {
  const double wave =
      std::sin(kTau * (2 * u + 0.45 * std::sin(kTau * v) + 0.2 * std::sin(kTau * 2 * u)));
  const double ripple = std::sin(kTau * (3 * v + 0.3 * std::sin(kTau * u)));
  const double t = 0.5 + 0.5 * wave;
  const QColor deep(34, 12, 58), violet(110, 40, 132), teal(24, 96, 110);
  const QRgb base = Mix(deep, violet, t * t);
  return Mix(QColor(base), teal, 0.35 + 0.35 * ripple * (1 - t));
}

// Zigzag chevrons in navy, slate and a thin cyan line.
QRgb ZadozEzizAt(double u, double v) {
  const double tri = std::abs(std::fmod(u * 4, 1.0) - 0.5);  // 4 teeth across the tile
  const double band = std::fmod(v * 4 + tri + 4, 1.0);
  const QColor navy(16, 22, 54), slate(40, 52, 96), cyan(52, 112, 132);
  if (band < 0.08)
    return cyan.rgb();
  return Mix(navy, slate, (band - 0.08) / 0.92);
}

// Flame tongues licking up through a dark forest green, dim enough for white text.
QRgb ForestFireAt(double u, double v) {
  const double flame = std::sin(kTau * (2 * u + 0.35 * std::sin(kTau * 2 * v))) *
                       std::sin(kTau * (v + 0.2 * std::sin(kTau * 2 * u)));
  const QColor forest(10, 34, 16), leaf(26, 62, 26), ember(140, 48, 14), glow(196, 104, 28);
  if (flame > 0.78)
    return Mix(ember, glow, (flame - 0.78) / 0.22);
  if (flame > 0.55)
    return Mix(leaf, ember, (flame - 0.55) / 0.23);
  return Mix(forest, leaf, 0.5 + 0.5 * std::sin(kTau * (3 * u + 2 * v)));
}

bool Save(const QImage& image, const QString& path) {
  if (!image.save(path)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
  }
  return true;
}

int MakeAll(const QString& outDir) {
  QDir().mkpath(outDir + "/icons");
  bool ok = true;
  for (const Icon& icon : kIcons) {
    for (int size : kIconSizes) {
      ok &= Save(RenderIcon(icon, size),
                 QString("%1/icons/%2-%3.png").arg(outDir).arg(icon.name).arg(size));
    }
  }
  // The application's icon also as large as desktops and software centres show it.
  ok &= Save(RenderIcon(kIcons[0], kLargeAppIconSize),
             QString("%1/icons/app-%2.png").arg(outDir).arg(kLargeAppIconSize));
  for (const Icon& icon : kPageIcons) {
    ok &= Save(RenderIcon(icon, kPageIconSize),
               QString("%1/icons/%2.ico").arg(outDir).arg(icon.name));
  }
  ok &= Save(RenderTile(64, EarthBoundAt), outDir + "/EarthBound.bmp");
  ok &= Save(RenderTile(64, ZadozEzizAt), outDir + "/ZadozEziz.bmp");
  ok &= Save(RenderTile(64, ForestFireAt), outDir + "/ForestFire!.bmp");
  return ok ? 0 : 1;
}

// Each icon at every size on light and dark ground (and at 4x), then each background tiled
// 3 x 2 with white text over it, as the window shows it.
int MakeSheet(const QString& outDir, const QString& sheetPath) {
  const int cell = 220;
  QImage sheet(cell * 5, 480 + 3 * 150 + 120, QImage::Format_RGB32);
  sheet.fill(QColor(236, 233, 216));
  QPainter p(&sheet);
  int col = 0;
  for (const Icon& icon : kIcons) {
    const int x0 = col++ * cell;
    p.fillRect(x0, 100, cell, 100, QColor(40, 30, 60));
    p.setPen(Qt::black);
    p.drawText(x0 + 4, 14, icon.name);
    int x = x0 + 4;
    for (int size : kIconSizes) {
      QImage img(QString("%1/icons/%2-%3.png").arg(outDir).arg(icon.name).arg(size));
      p.drawImage(x, 22, img);
      p.drawImage(x, 122, img);
      x += size + 6;
    }
    QImage big(QString("%1/icons/%2-48.png").arg(outDir).arg(icon.name));
    QImage small(QString("%1/icons/%2-16.png").arg(outDir).arg(icon.name));
    p.drawImage(QRect(x0 + 4, 210, 192, 192), big);
    p.drawImage(QRect(x0 + 4, 410, 64, 64), small);  // 16 px blown up to judge its pixels
  }
  const char* tiles[] = {"EarthBound.bmp", "ZadozEziz.bmp", "ForestFire!.bmp"};
  int y = 480;
  for (const char* name : tiles) {
    QImage tile(outDir + "/" + name);
    p.setBrush(QBrush(tile));
    p.setPen(Qt::NoPen);
    p.setBrushOrigin(0, y);
    p.drawRect(0, y, 6 * 64, 2 * 64);
    p.drawImage(QRect(6 * 64 + 20, y, 128, 128), tile);
    p.setPen(Qt::white);
    p.drawText(8, y + 20, QString("%1  Play Patch  Add ROM...").arg(name));
    p.fillRect(8, y + 40, 300, 16, Qt::black);
    p.drawText(8, y + 52, "  Installed ROMs");
    y += 150;
  }
  // The page icons as the Options dialog's bar shows them, and at 3x.
  int x = 8;
  for (const Icon& icon : kPageIcons) {
    const QImage image(QString("%1/icons/%2.ico").arg(outDir).arg(icon.name));
    p.fillRect(x - 4, y, 80, 110, Qt::white);
    p.drawImage(x + 17, y + 5, image);
    p.setPen(Qt::black);
    p.drawText(x, y + 52, icon.name);
    p.drawImage(QRect(x + 90, y, 96, 96), image);
    x += 200;
  }
  p.end();
  return sheet.save(sheetPath) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc == 2)
    return MakeAll(QString::fromLocal8Bit(argv[1]));
  if (argc == 4 && QString(argv[1]) == "--sheet") {
    return MakeSheet(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
  }
  std::fprintf(stderr, "usage: MakeArtwork OUTDIR | MakeArtwork --sheet OUTDIR FILE.png\n");
  return 2;
}
