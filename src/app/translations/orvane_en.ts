<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>AboutSheet</name>
    <message>
        <source>空格</source>
        <translation>Space</translation>
    </message>
    <message>
        <source>播放 / 暂停</source>
        <translation>Play / Pause</translation>
    </message>
    <message>
        <source>后退 / 前进 5 秒</source>
        <translation>Back / Forward 5 s</translation>
    </message>
    <message>
        <source>上一帧 / 下一帧</source>
        <translation>Previous / Next frame</translation>
    </message>
    <message>
        <source>记录开始点 / 结束点</source>
        <translation>Set start / end point</translation>
    </message>
    <message>
        <source>返回</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>导出</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>关于 Orvane</source>
        <translation>About Orvane</translation>
    </message>
    <message>
        <source>版本 %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>留言反馈</source>
        <translation>Send Feedback</translation>
    </message>
    <message>
        <source>检查更新</source>
        <translation>Check for Updates</translation>
    </message>
    <message>
        <source>键盘快捷键</source>
        <translation>Keyboard Shortcuts</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>发现新版本</source>
        <translation>Update Available</translation>
    </message>
    <message>
        <source>稍后</source>
        <translation>Later</translation>
    </message>
    <message>
        <source>立即更新</source>
        <translation>Update Now</translation>
    </message>
    <message>
        <source>已是最新版本</source>
        <translation>Orvane Is Up to Date</translation>
    </message>
    <message>
        <source>检查更新失败</source>
        <translation>Update Check Failed</translation>
    </message>
    <message>
        <source>好</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>AcceleratorGauge</name>
    <message>
        <source>油门</source>
        <translation>Accelerator</translation>
    </message>
    <message>
        <source>油门 %1</source>
        <translation>Accelerator %1</translation>
    </message>
</context>
<context>
    <name>AlertDialog</name>
    <message>
        <source>好</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>AppUpdateController</name>
    <message>
        <source>正在检查更新...</source>
        <translation>Checking for updates…</translation>
    </message>
    <message>
        <source>正在下载更新...</source>
        <translation>Downloading the update…</translation>
    </message>
    <message>
        <source>正在安装更新...</source>
        <translation>Installing the update…</translation>
    </message>
    <message>
        <source>无法检查更新，请稍后重试</source>
        <translation>Could not check for updates. Try again later.</translation>
    </message>
</context>
<context>
    <name>AppUpdateError</name>
    <message>
        <source>无法连接更新服务器，请稍后重试</source>
        <translation>Could not reach the update server. Try again later.</translation>
    </message>
    <message>
        <source>更新信息无效</source>
        <translation>The update information is invalid</translation>
    </message>
    <message>
        <source>下载更新失败，请稍后重试</source>
        <translation>The update could not be downloaded. Try again later.</translation>
    </message>
    <message>
        <source>当前应用未安装到本地，请先将应用拖入「应用程序」文件夹</source>
        <translation>Orvane is not installed. Install it with install.sh first.</translation>
    </message>
    <message>
        <source>请先将应用从磁盘映像拖入「应用程序」文件夹，再检查更新</source>
        <translation>Install Orvane with install.sh before checking for updates.</translation>
    </message>
    <message>
        <source>安装包中未找到 Orvane 应用</source>
        <translation>The update package holds no Orvane program</translation>
    </message>
    <message>
        <source>无法打开更新安装包</source>
        <translation>Could not open the update package</translation>
    </message>
    <message>
        <source>安装更新失败: </source>
        <translation>Could not install the update: </translation>
    </message>
    <message>
        <source>Orvane 由系统的软件包管理器安装，请用它更新到新版本</source>
        <translation>Orvane was installed by the system&apos;s package manager; update it there</translation>
    </message>
</context>
<context>
    <name>AppUpdateManifest</name>
    <message>
        <source>建议更新到最新版本以获得更好的体验。</source>
        <translation>Updating to the latest version is recommended.</translation>
    </message>
</context>
<context>
    <name>AppUpdateService</name>
    <message>
        <source>无法设置脚本权限: </source>
        <translation>Could not make the script executable: </translation>
    </message>
    <message>
        <source>无法启动 /bin/bash</source>
        <translation>Could not start /bin/bash</translation>
    </message>
    <message>
        <source>没有写入权限: </source>
        <translation>No permission to write: </translation>
    </message>
    <message>
        <source>无法创建文件夹 </source>
        <translation>Could not create the folder </translation>
    </message>
</context>
<context>
    <name>BrakeIndicator</name>
    <message>
        <source>刹车</source>
        <translation>Brake</translation>
    </message>
    <message>
        <source>刹车已踩下</source>
        <translation>Brake applied</translation>
    </message>
</context>
<context>
    <name>BrowserHeader</name>
    <message>
        <source>视频片段</source>
        <translation>Clips</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>取消全选</source>
        <translation>Deselect All</translation>
    </message>
    <message>
        <source>全选</source>
        <translation>Select All</translation>
    </message>
    <message>
        <source>批量删除</source>
        <translation>Delete</translation>
    </message>
</context>
<context>
    <name>CameraAngle</name>
    <message>
        <source>六宫格</source>
        <translation>6-Cam Grid</translation>
    </message>
    <message>
        <source>前路</source>
        <translation>Front</translation>
    </message>
    <message>
        <source>后路</source>
        <translation>Rear</translation>
    </message>
    <message>
        <source>左盲区</source>
        <translation>Left Repeater</translation>
    </message>
    <message>
        <source>右盲区</source>
        <translation>Right Repeater</translation>
    </message>
    <message>
        <source>左柱</source>
        <translation>Left Pillar</translation>
    </message>
    <message>
        <source>右柱</source>
        <translation>Right Pillar</translation>
    </message>
    <message>
        <source>四宫格</source>
        <translation>Grid</translation>
    </message>
</context>
<context>
    <name>CameraTabs</name>
    <message>
        <source>机位</source>
        <translation>Camera</translation>
    </message>
</context>
<context>
    <name>CaptureThumbnail</name>
    <message>
        <source>删除这张截图</source>
        <translation>Delete this capture</translation>
    </message>
</context>
<context>
    <name>Cli</name>
    <message>
        <source>已取消解密</source>
        <translation>Decryption cancelled</translation>
    </message>
    <message>
        <source>%1 需要一个值</source>
        <translation>%1 needs a value</translation>
    </message>
    <message>
        <source>多余的参数“%1”</source>
        <translation>unexpected argument &apos;%1&apos;</translation>
    </message>
    <message>
        <source>需要 PATH 和 --out</source>
        <translation>PATH and --out are needed</translation>
    </message>
    <message>
        <source>把车辆加密的录像解密为普通副本，按 U 盘的结构写入 DIR</source>
        <translation>Writes a plain copy of the clips the car encrypted below DIR, laid out as a drive</translation>
    </message>
    <message>
        <source>警告: </source>
        <translation>Warning: </translation>
    </message>
    <message>
        <source>已取消导出</source>
        <translation>Export cancelled</translation>
    </message>
    <message>
        <source>--range 只用于 continuous 和 grid 导出；请用 --start 和 --duration</source>
        <translation>--range applies to continuous and grid exports; use --start and --duration</translation>
    </message>
    <message>
        <source>--start 不能为负数</source>
        <translation>--start must not be negative</translation>
    </message>
    <message>
        <source>--duration 必须大于 0</source>
        <translation>--duration must be above 0</translation>
    </message>
    <message>
        <source>%1 只用于 single 导出；请用 --range</source>
        <translation>%1 applies to single exports; use --range</translation>
    </message>
    <message>
        <source>--range 的开始不能早于 0</source>
        <translation>--range must not start before 0</translation>
    </message>
    <message>
        <source>--range 的结束必须晚于开始</source>
        <translation>--range must end after it starts</translation>
    </message>
    <message>
        <source>没有给出导出方式（single、continuous 或 grid）</source>
        <translation>no mode given (single, continuous or grid)</translation>
    </message>
    <message>
        <source>未知的导出方式“%1”</source>
        <translation>unknown mode &apos;%1&apos;</translation>
    </message>
    <message>
        <source>%1 需要一个有效的值</source>
        <translation>%1 needs a valid value</translation>
    </message>
    <message>
        <source>需要文件和 --out</source>
        <translation>files and --out are required</translation>
    </message>
    <message>
        <source>single 只接受一个文件</source>
        <translation>single takes one file</translation>
    </message>
    <message>
        <source>导出一个文件、连续的几分钟或多摄像头画面，每一帧带录制时间</source>
        <translation>Exports one file, consecutive minutes or the camera grid, with the recording time in every frame</translation>
    </message>
    <message>
        <source>需要 FILE、--time 和 --out</source>
        <translation>FILE, --time and --out are needed</translation>
    </message>
    <message>
        <source>--tolerance 必须是不小于 0 的秒数</source>
        <translation>--tolerance must be a non-negative number of seconds</translation>
    </message>
    <message>
        <source>--max-size 的格式应如 760x428</source>
        <translation>--max-size must look like 760x428</translation>
    </message>
    <message>
        <source>警告: 这一帧的数据有缺失或损坏，画面中有解码器补出的部分，可能显示的是更早的画面</source>
        <translation>Warning: this frame&apos;s data is missing or damaged; the decoder filled in parts of the picture, which may show an earlier moment</translation>
    </message>
    <message>
        <source>把 T 秒处显示的画面存为图片</source>
        <translation>Saves the frame shown at T seconds as an image</translation>
    </message>
    <message>
        <source>读取加密录像需要车主的令牌：设置环境变量 ORVANE_DASHCAM_TOKEN，或用 --token-file FILE 给出存有令牌的文件</source>
        <translation>Encrypted footage needs the owner&apos;s token: set the environment variable ORVANE_DASHCAM_TOKEN, or name a file holding it with --token-file FILE</translation>
    </message>
    <message>
        <source>无法读取令牌文件: </source>
        <translation>Cannot read the token file: </translation>
    </message>
    <message>
        <source>用法: </source>
        <translation>usage: </translation>
    </message>
    <message>
        <source>无法写入标准输出: </source>
        <translation>Cannot write to standard output: </translation>
    </message>
    <message>
        <source>用法:</source>
        <translation>usage:</translation>
    </message>
    <message>
        <source>每个命令在标准输出上打印 JSON。失败时在标准错误上说明原因并以 1 退出，用法错误以 2 退出。详见 man orvane-cli。</source>
        <translation>Every command prints JSON on standard output. A failure says why on standard error and exits 1; a usage error exits 2. See man orvane-cli.</translation>
    </message>
    <message>
        <source>未知的命令“%1”</source>
        <translation>unknown command &apos;%1&apos;</translation>
    </message>
    <message>
        <source>需要恰好一个 FILE</source>
        <translation>exactly one FILE is needed</translation>
    </message>
    <message>
        <source>视频文件的时长、尺寸、旋转、帧率和码率</source>
        <translation>Duration, size, rotation, frame rate and bit rate of a video file</translation>
    </message>
    <message>
        <source>没有给出文件夹或文件</source>
        <translation>no folder or file given</translation>
    </message>
    <message>
        <source>需要 PATH、--category、--index 和已知的 --camera</source>
        <translation>PATH, --category, --index and a known --camera are needed</translation>
    </message>
    <message>
        <source>没有这个事件: %1 #%2</source>
        <translation>No such event: %1 #%2</translation>
    </message>
    <message>
        <source>扫描文件夹和文件，按类别列出事件</source>
        <translation>Scans folders and files and lists the events by category</translation>
    </message>
    <message>
        <source>一个事件的摄像头文件（序号从 0 起，按扫描顺序）</source>
        <translation>The camera files of one event (numbered from 0, in scan order)</translation>
    </message>
    <message>
        <source>没有给出文件</source>
        <translation>no file given</translation>
    </message>
    <message>
        <source>未知的格式“%1”</source>
        <translation>unknown format &apos;%1&apos;</translation>
    </message>
    <message>
        <source>%1 需要从事件开始算起的秒数</source>
        <translation>%1 needs seconds from the event&apos;s start</translation>
    </message>
    <message>
        <source>需要给出事件文件夹和 %1</source>
        <translation>EVENT folders and %1 are required</translation>
    </message>
    <message>
        <source>一份 PDF 事故报告：时间、地点、各摄像头画面、行驶记录与文件指纹</source>
        <translation>An incident report in PDF: times, place, every camera&apos;s picture, the driving record and the files&apos; fingerprints</translation>
    </message>
    <message>
        <source>json 和 csv 只接受一个文件</source>
        <translation>json and csv take one file</translation>
    </message>
    <message>
        <source>摄像头文件中每一帧的行驶记录（gpx：行驶轨迹）</source>
        <translation>The driving record of every frame of a camera file (gpx: the route)</translation>
    </message>
    <message>
        <source>核对导出的视频与其清单和原始文件是否一致</source>
        <translation>Checks an exported video against its manifest and the source files</translation>
    </message>
    <message>
        <source>--map-tiles 只和 --map 一起用</source>
        <translation>--map-tiles only goes with --map</translation>
    </message>
</context>
<context>
    <name>ClipCategory</name>
    <message>
        <source>最近</source>
        <translation>Recent</translation>
    </message>
    <message>
        <source>哨兵</source>
        <translation>Sentry</translation>
    </message>
    <message>
        <source>手动保存</source>
        <translation>Saved</translation>
    </message>
    <message>
        <source>导入</source>
        <translation>Imported</translation>
    </message>
</context>
<context>
    <name>ClipDeletionService</name>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>没有找到该片段对应的源视频，可能已被移动或删除。</source>
        <translation>The videos of this clip were not found. They may have been moved or deleted.</translation>
    </message>
    <message numerus="yes">
        <source>%1等 %n 个文件</source>
        <translation>
            <numerusform>%1 and others (%n file)</numerusform>
            <numerusform>%1 and others (%n files)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>已删除 %n 个文件，但 %1 删除失败。请重新导入 TeslaCam 文件夹刷新列表。</source>
        <translation>
            <numerusform>Deleted %n file, but %1 could not be deleted. Import the TeslaCam folder again to refresh the list.</numerusform>
            <numerusform>Deleted %n files, but %1 could not be deleted. Import the TeslaCam folder again to refresh the list.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ClipSource</name>
    <message>
        <source>这段录像已被车辆加密（固件 2026.20 起默认开启），无法在此播放或导出。之后的新录像可在车内关闭加密：控制 › 安全 › 加密行车记录仪录像（Encrypt Dashcam Recordings）</source>
        <translation>The car encrypted this recording (the default since firmware 2026.20), so it cannot be played or exported here. To record without encryption, turn it off in the car: Controls › Safety › Encrypt Dashcam Recordings.</translation>
    </message>
    <message>
        <source>这一分钟的文件在录制时中断（如断电），没有可播放的画面</source>
        <translation>Recording of this minute was cut short (for example by a power loss); it holds no picture to play</translation>
    </message>
    <message>
        <source>已加密</source>
        <translation>Encrypted</translation>
    </message>
    <message>
        <source>文件已损坏</source>
        <translation>Damaged file</translation>
    </message>
</context>
<context>
    <name>ContainerError</name>
    <message>
        <source>密钥与文件不符，解密后不是视频</source>
        <translation>The key does not fit the file: it does not decrypt to a video</translation>
    </message>
    <message>
        <source>读取文件出错 %1: %2</source>
        <translation>Error reading %1: %2</translation>
    </message>
    <message>
        <source>加密文件不完整，比它记录的长度短</source>
        <translation>The encrypted file is incomplete: shorter than its recorded size</translation>
    </message>
    <message>
        <source>加密文件记录的大小与文件长度不符</source>
        <translation>The size recorded in the encrypted file does not match its length</translation>
    </message>
    <message>
        <source>加密文件的头部已损坏</source>
        <translation>The header of the encrypted file is damaged</translation>
    </message>
</context>
<context>
    <name>ContentView</name>
    <message>
        <source>选择 TeslaCam 文件夹</source>
        <translation>Choose TeslaCam Folder</translation>
    </message>
    <message>
        <source>选择</source>
        <translation>Choose</translation>
    </message>
    <message>
        <source>选择输出目录</source>
        <translation>Choose Output Folder</translation>
    </message>
</context>
<context>
    <name>DashboardOverlay</name>
    <message>
        <source>辅助驾驶</source>
        <translation>Autopilot</translation>
    </message>
    <message>
        <source>刹车</source>
        <translation>Brake</translation>
    </message>
    <message>
        <source>油门</source>
        <translation>Accelerator</translation>
    </message>
    <message>
        <source>档位</source>
        <translation>Gear</translation>
    </message>
    <message>
        <source>方向盘</source>
        <translation>Steering</translation>
    </message>
</context>
<context>
    <name>DaySectionHeader</name>
    <message numerus="yes">
        <source>%1，%n 个</source>
        <translation>
            <numerusform>%1, %n clip</numerusform>
            <numerusform>%1, %n clips</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>DecryptedCopies</name>
    <message>
        <source>无法创建文件夹 </source>
        <translation>Could not create the folder </translation>
    </message>
    <message>
        <source>无法读取文件 </source>
        <translation>Could not read the file </translation>
    </message>
    <message>
        <source>无法写入文件 </source>
        <translation>Could not write the file </translation>
    </message>
    <message>
        <source>无法复制文件 </source>
        <translation>Could not copy the file </translation>
    </message>
    <message>
        <source>无法读取: </source>
        <translation>Could not read: </translation>
    </message>
</context>
<context>
    <name>DeletingOverlay</name>
    <message>
        <source>正在删除视频片段</source>
        <translation>Deleting clips</translation>
    </message>
    <message>
        <source>请勿关闭应用或拔出 TeslaCam U 盘</source>
        <translation>Do not quit Orvane or unplug the TeslaCam drive</translation>
    </message>
</context>
<context>
    <name>DriveOffer</name>
    <message numerus="yes">
        <source>U 盘“%1”已被移除：其中的 %n 个片段已从列表中移去，从它导出的视频已停止。</source>
        <translation>
            <numerusform>The drive “%1” was removed: its %n event left the list, and the export from it was stopped.</numerusform>
            <numerusform>The drive “%1” was removed: its %n events left the list, and the export from it was stopped.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>U 盘“%1”已被移除：其中的 %n 个片段已从列表中移去。</source>
        <translation>
            <numerusform>The drive “%1” was removed: its %n event left the list.</numerusform>
            <numerusform>The drive “%1” was removed: its %n events left the list.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>DriveOfferBanner</name>
    <message>
        <source>打开新插入的行车记录仪 U 盘</source>
        <translation>Open the dashcam drive just plugged in</translation>
    </message>
    <message>
        <source>不用了</source>
        <translation>Not now</translation>
    </message>
</context>
<context>
    <name>DriveSection</name>
    <message>
        <source>这段录像没有位置记录（车辆未定位），无法显示路线</source>
        <translation>This footage has no positions (the car had no location fix), so the route cannot be shown</translation>
    </message>
    <message>
        <source>轨迹已导出：</source>
        <translation>Route exported: </translation>
    </message>
    <message>
        <source>这段录像没有可读的行车数据（较旧的固件、车辆未写入或文件无法读取），无法显示地图、速度与受力曲线</source>
        <translation>This footage has no readable driving record (older firmware, the car wrote none, or the files cannot be read), so the map, speed and forces cannot be shown</translation>
    </message>
</context>
<context>
    <name>DriveStripBar</name>
    <message numerus="yes">
        <source>急刹 %n 次</source>
        <translation>
            <numerusform>%n hard stop</numerusform>
            <numerusform>%n hard stops</numerusform>
        </translation>
    </message>
    <message>
        <source>导出轨迹 (GPX)</source>
        <translation>Export route (GPX)</translation>
    </message>
    <message>
        <source>蓝线：速度；绿线：前后加速度；灰线：左右加速度；红色标记：急刹；橙色标记：急转。点击跳转</source>
        <translation>Blue: speed; green: forward/backward acceleration; grey: sideways acceleration; red marks: hard braking; orange marks: swerves. Click to go there</translation>
    </message>
</context>
<context>
    <name>DrivingRecordExport</name>
    <message>
        <source>这段录像没有行车数据</source>
        <translation>This recording has no driving data</translation>
    </message>
</context>
<context>
    <name>EmptyState</name>
    <message>
        <source>。</source>
        <translation>. </translation>
    </message>
</context>
<context>
    <name>EventBrowser</name>
    <message>
        <source>该分类中暂时没有可播放的视频</source>
        <translation>This category has no videos to play yet</translation>
    </message>
</context>
<context>
    <name>EventCard</name>
    <message>
        <source>，已加密</source>
        <translation>, encrypted</translation>
    </message>
    <message>
        <source>，</source>
        <translation>, </translation>
    </message>
    <message>
        <source>已加密</source>
        <translation>Encrypted</translation>
    </message>
    <message>
        <source>已解锁</source>
        <translation>Unlocked</translation>
    </message>
    <message numerus="yes">
        <source>急刹车 %n</source>
        <translation>
            <numerusform>%n hard brake</numerusform>
            <numerusform>%n hard brakes</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>EventMetadata</name>
    <message>
        <source>哨兵模式：检测到有物体靠近</source>
        <translation>Sentry: object detected nearby</translation>
    </message>
    <message>
        <source>手动保存：点击行车记录仪图标</source>
        <translation>Saved: dashcam icon tapped</translation>
    </message>
    <message>
        <source>手动保存：行车记录仪面板</source>
        <translation>Saved: dashcam panel</translation>
    </message>
    <message>
        <source>手动保存：应用启动器</source>
        <translation>Saved: app launcher</translation>
    </message>
    <message>
        <source>鸣笛保存</source>
        <translation>Saved by honking</translation>
    </message>
    <message>
        <source>自动紧急制动</source>
        <translation>Automatic emergency braking</translation>
    </message>
    <message>
        <source>哨兵模式：检测到车身震动（%1 g）</source>
        <translation>Sentry: impact detected (%1 g)</translation>
    </message>
    <message>
        <source>哨兵模式：检测到车身震动</source>
        <translation>Sentry: impact detected</translation>
    </message>
</context>
<context>
    <name>EventMomentBar</name>
    <message>
        <source>事件前</source>
        <translation>Before</translation>
    </message>
    <message>
        <source>秒，事件后</source>
        <translation>s, after</translation>
    </message>
    <message>
        <source>导出事件前后</source>
        <translation>Export Around Event</translation>
    </message>
    <message>
        <source>跳到事件时刻</source>
        <translation>Go to Event</translation>
    </message>
    <message>
        <source>事件前秒数</source>
        <translation>Seconds before the event</translation>
    </message>
    <message>
        <source>事件后秒数</source>
        <translation>Seconds after the event</translation>
    </message>
    <message>
        <source>秒</source>
        <translation>s</translation>
    </message>
</context>
<context>
    <name>EventPreviewPage</name>
    <message>
        <source>返回</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>收起地图</source>
        <translation>Hide map</translation>
    </message>
    <message>
        <source>显示地图</source>
        <translation>Show map</translation>
    </message>
</context>
<context>
    <name>EventSectionList</name>
    <message>
        <source>视频片段</source>
        <translation>Clips</translation>
    </message>
</context>
<context>
    <name>EventThumbnailProvider</name>
    <message>
        <source>无法生成预览</source>
        <translation>No preview</translation>
    </message>
</context>
<context>
    <name>EventThumbnailView</name>
    <message>
        <source>无法生成预览</source>
        <translation>No preview</translation>
    </message>
    <message>
        <source>视频时长 %1</source>
        <translation>Length %1</translation>
    </message>
    <message>
        <source>视频缩略图</source>
        <translation>Video thumbnail</translation>
    </message>
</context>
<context>
    <name>ExportErrors</name>
    <message>
        <source>导出失败: </source>
        <translation>Export failed: </translation>
    </message>
    <message>
        <source>视频中没有可导出的画面轨道</source>
        <translation>The video has no picture track to export</translation>
    </message>
    <message>
        <source>无法读取源视频</source>
        <translation>Could not read the source video</translation>
    </message>
    <message>
        <source>无法创建导出文件</source>
        <translation>Could not create the export file</translation>
    </message>
    <message>
        <source>未找到 FFmpeg，请在项目根目录运行 ./scripts/setup-ffmpeg.sh</source>
        <translation>FFmpeg was not found. Run ./scripts/setup-ffmpeg.sh in the project folder.</translation>
    </message>
    <message>
        <source>未知错误</source>
        <translation>Unknown error</translation>
    </message>
    <message>
        <source>保存到相册失败: </source>
        <translation>Could not save to Pictures: </translation>
    </message>
    <message>
        <source>无法访问相册。请在系统设置 → 隐私与安全性 → 照片中允许「Orvane」</source>
        <translation>Orvane cannot open the Pictures folder. Check that it exists and can be written.</translation>
    </message>
    <message>
        <source>相册授权未完成，请重新启动应用并在弹窗中点「允许」</source>
        <translation>Access to the Pictures folder was not granted. Restart Orvane and allow it.</translation>
    </message>
    <message>
        <source>无法访问相册（状态: %1）</source>
        <translation>Cannot open the Pictures folder (status %1)</translation>
    </message>
    <message>
        <source>视频处理失败: </source>
        <translation>Could not process the video: </translation>
    </message>
</context>
<context>
    <name>ExportJobRunner</name>
    <message>
        <source>正在合成%1（外置 U 盘较慢）...</source>
        <translation>Composing the %1 (the external drive is slow)…</translation>
    </message>
    <message>
        <source>正在合成%1...</source>
        <translation>Composing the %1…</translation>
    </message>
    <message>
        <source>正在合并视频片段（外置 U 盘较慢）...</source>
        <translation>Joining the videos (the external drive is slow)…</translation>
    </message>
    <message>
        <source>正在合并视频片段...</source>
        <translation>Joining the videos…</translation>
    </message>
    <message>
        <source>正在添加水印并编码（%1）...</source>
        <translation>Adding the timestamp and encoding (%1)…</translation>
    </message>
    <message>
        <source>无法创建输出目录: </source>
        <translation>Could not create the output folder: </translation>
    </message>
    <message>
        <source>无法创建临时文件夹: </source>
        <translation>Could not create a temporary folder: </translation>
    </message>
    <message>
        <source>正在准备导出...</source>
        <translation>Preparing the export…</translation>
    </message>
    <message>
        <source>正在保存到相册...</source>
        <translation>Saving to Pictures…</translation>
    </message>
    <message>
        <source>所选的 %1 秒中只有 %2 秒有录像</source>
        <translation>Only %2 s of the %1 s chosen were recorded</translation>
    </message>
    <message numerus="yes">
        <source>已在 %2 保存 %n 个解密副本</source>
        <translation>
            <numerusform>Saved %n decrypted copy in %2</numerusform>
            <numerusform>Saved %n decrypted copies in %2</numerusform>
        </translation>
    </message>
    <message>
        <source>这个事件没有加密的录像</source>
        <translation>This event has no encrypted footage</translation>
    </message>
    <message>
        <source>正在保存解密副本...</source>
        <translation>Saving decrypted copies...</translation>
    </message>
    <message>
        <source>正在生成事故报告...</source>
        <translation>Writing the incident report...</translation>
    </message>
    <message>
        <source>无法创建文件夹：</source>
        <translation>Cannot create the folder: </translation>
    </message>
    <message>
        <source>剩余约 %1</source>
        <translation>about %1 left</translation>
    </message>
</context>
<context>
    <name>ExportLoadingOverlay</name>
    <message>
        <source>正在导出</source>
        <translation>Exporting</translation>
    </message>
    <message>
        <source>导出进度 %1</source>
        <translation>Export progress %1</translation>
    </message>
    <message>
        <source>导出需要重新编码整段视频，请耐心等待</source>
        <translation>Exporting re-encodes the whole video. This may take a while.</translation>
    </message>
    <message>
        <source>取消导出</source>
        <translation>Cancel Export</translation>
    </message>
</context>
<context>
    <name>ExportManifest</name>
    <message>
        <source>无法写入导出清单 %1：%2</source>
        <translation>Could not write the export manifest %1: %2</translation>
    </message>
    <message>
        <source>无法读取导出清单：</source>
        <translation>Could not read the export manifest: </translation>
    </message>
    <message>
        <source>导出清单不是有效的 JSON：</source>
        <translation>The export manifest is not valid JSON: </translation>
    </message>
</context>
<context>
    <name>ExportOrchestration</name>
    <message>
        <source>请先选择要导出的视频</source>
        <translation>Choose a video to export first</translation>
    </message>
    <message>
        <source>选区无效，请重新设置起点和终点</source>
        <translation>The range is not valid. Set its start and end again.</translation>
    </message>
    <message>
        <source>当前回放没有可导出的视频</source>
        <translation>This recording has no video to export</translation>
    </message>
    <message>
        <source>视频</source>
        <translation>video</translation>
    </message>
</context>
<context>
    <name>ExportResult</name>
    <message>
        <source>部分画面没有行车数据，这些画面未叠加仪表盘</source>
        <translation>Some frames have no driving data; they were exported without the dashboard</translation>
    </message>
    <message>
        <source>%1 %2 无法读取，已略过：%3</source>
        <translation>%1 %2 could not be read and was left out: %3</translation>
    </message>
    <message>
        <source>%1 %2 只导出了 %3 秒（应有 %4 秒）：%5</source>
        <translation>%1 %2 gave only %3 s of %4 s: %5</translation>
    </message>
    <message>
        <source>导出的视频比所选的短，有录像无法读取：</source>
        <translation>The video is shorter than chosen because some footage could not be read: </translation>
    </message>
</context>
<context>
    <name>ExportResultController</name>
    <message>
        <source>无法播放导出的视频</source>
        <translation>Cannot play the exported video</translation>
    </message>
    <message>
        <source>导出的视频已不在原位置</source>
        <translation>The exported video is no longer where it was saved</translation>
    </message>
    <message>
        <source>截图失败</source>
        <translation>Capture Failed</translation>
    </message>
    <message>
        <source>无法读取画面</source>
        <translation>Could not read the picture</translation>
    </message>
    <message>
        <source>保存失败</source>
        <translation>Save Failed</translation>
    </message>
</context>
<context>
    <name>ExportResultView</name>
    <message>
        <source>完成</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>已复制</source>
        <translation>Copied</translation>
    </message>
    <message>
        <source>复制路径</source>
        <translation>Copy Path</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>播放</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>上一帧</source>
        <translation>Previous frame</translation>
    </message>
    <message>
        <source>下一帧</source>
        <translation>Next frame</translation>
    </message>
    <message>
        <source>截图</source>
        <translation>Capture</translation>
    </message>
    <message>
        <source>全部保存</source>
        <translation>Save All</translation>
    </message>
    <message>
        <source>还没有截图</source>
        <translation>No captures yet</translation>
    </message>
    <message>
        <source>定位到需要的画面后点击“截图”</source>
        <translation>Find the frame you want, then click &quot;Capture&quot;</translation>
    </message>
    <message numerus="yes">
        <source>%n 张截图</source>
        <translation>
            <numerusform>%n capture</numerusform>
            <numerusform>%n captures</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ExportSettings</name>
    <message>
        <source>原画</source>
        <translation>Original</translation>
    </message>
    <message>
        <source>高清</source>
        <translation>HD</translation>
    </message>
    <message>
        <source>原分辨率 + HEVC 超高码率，适合看清车牌</source>
        <translation>Full resolution, high-bitrate HEVC: number plates stay readable</translation>
    </message>
    <message>
        <source>1280 宽 H.264，导出更快</source>
        <translation>1280 wide H.264: faster to export</translation>
    </message>
    <message>
        <source>系统相册</source>
        <translation>Pictures</translation>
    </message>
    <message>
        <source>其他目录</source>
        <translation>Folder</translation>
    </message>
</context>
<context>
    <name>ExportVerifier</name>
    <message>
        <source>清单的摘要与内容不符，清单在导出后被改动过（记录的 %1，算得 %2）</source>
        <translation>The manifest&apos;s digest does not match its content: the manifest was changed after the export (recorded %1, computed %2)</translation>
    </message>
    <message>
        <source>%1 已被改动：SHA-256 应为 %2，实为 %3（大小应为 %4 字节，实为 %5 字节）</source>
        <translation>%1 was changed: SHA-256 should be %2, is %3 (size should be %4 bytes, is %5 bytes)</translation>
    </message>
    <message>
        <source>视频应有 %1 帧，实有 %2 帧</source>
        <translation>The video should have %1 frames, has %2</translation>
    </message>
    <message>
        <source>%1 的文件名不含录制时间</source>
        <translation>The name of %1 holds no recording time</translation>
    </message>
    <message>
        <source>%1 没有清单所记的第 %2–%3 帧</source>
        <translation>%1 has no frames %2–%3 as the manifest records</translation>
    </message>
    <message>
        <source>%1 的帧时间应为 %2，清单记为 %3</source>
        <translation>A frame of %1 was recorded at %2; the manifest says %3</translation>
    </message>
    <message>
        <source>按源文件应有 %1 帧，视频实有 %2 帧</source>
        <translation>By the sources the video should have %1 frames, it has %2</translation>
    </message>
    <message>
        <source>按源文件，视频的%1应为 %2，清单记为 %3</source>
        <translation>By the sources the video&apos;s %1 should be %2; the manifest says %3</translation>
    </message>
    <message>
        <source>首帧时间</source>
        <translation>first frame time</translation>
    </message>
    <message>
        <source>末帧时间</source>
        <translation>last frame time</translation>
    </message>
    <message>
        <source>找不到源文件：%1</source>
        <translation>Source file not found: %1</translation>
    </message>
    <message>
        <source>源文件 %1</source>
        <translation>Source file %1</translation>
    </message>
    <message>
        <source>缺少源文件，无法按源文件核对帧数和时间</source>
        <translation>Source files are missing: frames and times cannot be checked against them</translation>
    </message>
    <message>
        <source>导出的视频</source>
        <translation>The exported video</translation>
    </message>
</context>
<context>
    <name>ExportViewModel</name>
    <message>
        <source>已取消导出</source>
        <translation>Export cancelled</translation>
    </message>
    <message>
        <source>导出失败</source>
        <translation>Export failed</translation>
    </message>
    <message>
        <source>系统相册</source>
        <translation>Pictures</translation>
    </message>
    <message>
        <source>即“图片”文件夹：</source>
        <translation>The Pictures folder: </translation>
    </message>
    <message>
        <source>这个事件没有记录事件时刻</source>
        <translation>This event has no recorded event time</translation>
    </message>
    <message>
        <source>事件时刻前后没有可导出的录像</source>
        <translation>There is no footage around the event time to export</translation>
    </message>
    <message>
        <source>已保存到相册：</source>
        <translation>Saved to Pictures: </translation>
    </message>
    <message>
        <source>导出完成：</source>
        <translation>Exported: </translation>
    </message>
    <message>
        <source>视频已成功保存到系统相册</source>
        <translation>The video was saved to Pictures</translation>
    </message>
    <message>
        <source>视频已成功导出</source>
        <translation>The video was exported</translation>
    </message>
    <message>
        <source>正在导出视频</source>
        <translation>Exporting the video</translation>
    </message>
    <message>
        <source>没有可以打开文件夹的程序。文件在：</source>
        <translation>No program to open folders was found. The file is in: </translation>
    </message>
    <message>
        <source>解密副本只能保存到文件夹：请先把导出位置设为一个文件夹</source>
        <translation>Decrypted copies can only be saved to a folder: set the export location to a folder first</translation>
    </message>
    <message>
        <source>解密副本已保存</source>
        <translation>Decrypted copies saved</translation>
    </message>
    <message>
        <source>事故报告已保存：</source>
        <translation>Incident report saved: </translation>
    </message>
    <message>
        <source>事故报告已生成</source>
        <translation>Incident report written</translation>
    </message>
</context>
<context>
    <name>FFmpegTools</name>
    <message>
        <source>无法创建临时目录: </source>
        <translation>Could not create a temporary folder: </translation>
    </message>
    <message>
        <source>无法创建临时文件 </source>
        <translation>Could not create the temporary file </translation>
    </message>
    <message>
        <source>无法写入拼接列表: </source>
        <translation>Could not write the list of videos to join: </translation>
    </message>
    <message>
        <source>没有可合并的视频片段</source>
        <translation>There are no videos to join</translation>
    </message>
    <message>
        <source>无法创建临时管道: </source>
        <translation>Cannot create a temporary pipe: </translation>
    </message>
    <message>
        <source>无法打开临时管道: </source>
        <translation>Cannot open a temporary pipe: </translation>
    </message>
    <message>
        <source>无法合并视频片段: </source>
        <translation>Could not join the video pieces: </translation>
    </message>
</context>
<context>
    <name>FileDelivery</name>
    <message>
        <source>无法写入文件 </source>
        <translation>Could not write the file </translation>
    </message>
    <message>
        <source>无法保存文件 </source>
        <translation>Could not save the file </translation>
    </message>
    <message>
        <source>不能覆盖源视频: </source>
        <translation>A source video cannot be overwritten: </translation>
    </message>
    <message>
        <source>输出路径不是普通文件: </source>
        <translation>The output path is not a regular file: </translation>
    </message>
    <message>
        <source>无法复制文件 </source>
        <translation>Could not copy the file </translation>
    </message>
    <message>
        <source>文件已存在，不会覆盖: </source>
        <translation>The file exists and is not replaced: </translation>
    </message>
</context>
<context>
    <name>FileDigest</name>
    <message>
        <source>无法读取文件 %1：%2</source>
        <translation>Could not read the file %1: %2</translation>
    </message>
</context>
<context>
    <name>FileName</name>
    <message>
        <source>路径超过系统上限（PATH_MAX，%1 字节）: %2</source>
        <translation>The path exceeds the system limit (PATH_MAX, %1 bytes): %2</translation>
    </message>
</context>
<context>
    <name>FolderDropArea</name>
    <message>
        <source>松开以导入 TeslaCam 文件夹</source>
        <translation>Drop to import the TeslaCam folder</translation>
    </message>
</context>
<context>
    <name>FootageCalendar</name>
    <message>
        <source>yyyy年M月</source>
        <extracomment>A QLocale date format of a month and its year, as a calendar&apos;s title.</extracomment>
        <translation>MMMM yyyy</translation>
    </message>
    <message numerus="yes">
        <source>%1，%n 个片段</source>
        <translation>
            <numerusform>%1, %n clip</numerusform>
            <numerusform>%1, %n clips</numerusform>
        </translation>
    </message>
    <message>
        <source>%1，无录像</source>
        <translation>%1, no footage</translation>
    </message>
</context>
<context>
    <name>FootageCalendarPopup</name>
    <message>
        <source>上一个有录像的月份</source>
        <translation>Previous month with footage</translation>
    </message>
    <message>
        <source>上个月</source>
        <translation>Previous month</translation>
    </message>
    <message>
        <source>下个月</source>
        <translation>Next month</translation>
    </message>
    <message>
        <source>下一个有录像的月份</source>
        <translation>Next month with footage</translation>
    </message>
    <message>
        <source>有录像的日期以圆点标出</source>
        <translation>Days with footage are marked with a dot</translation>
    </message>
    <message>
        <source>这个月没有录像</source>
        <translation>No footage this month</translation>
    </message>
</context>
<context>
    <name>FrameCapture</name>
    <message>
        <source>无法读取画面</source>
        <translation>Could not read the picture</translation>
    </message>
    <message>
        <source>无法读取画面: </source>
        <translation>Could not read the picture: </translation>
    </message>
    <message>
        <source>无法编码 PNG 图片</source>
        <translation>Could not encode the PNG image</translation>
    </message>
    <message>
        <source>不支持的图片格式: </source>
        <translation>Unsupported image format: </translation>
    </message>
    <message>
        <source>无法编码图片: </source>
        <translation>Could not encode the image: </translation>
    </message>
    <message>
        <source>无法创建临时目录: </source>
        <translation>Could not create a temporary folder: </translation>
    </message>
    <message>
        <source>无法写入文件: </source>
        <translation>Could not write the file: </translation>
    </message>
    <message numerus="yes">
        <source>已将 %n 张图片保存到视频所在目录</source>
        <translation>
            <numerusform>Saved %n image next to the video</numerusform>
            <numerusform>Saved %n images next to the video</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>已将 %n 张图片保存到系统相册</source>
        <translation>
            <numerusform>Saved %n image to Pictures</numerusform>
            <numerusform>Saved %n images to Pictures</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>FrameGrabber</name>
    <message>
        <source>时间 %1 秒超出视频范围（0 到 %2 秒）</source>
        <translation>The time %1 s is outside the video (0 to %2 s)</translation>
    </message>
    <message>
        <source>时间 %1 秒处的画面无法读取: </source>
        <translation>The picture at %1 s could not be read: </translation>
    </message>
</context>
<context>
    <name>GPUVideoExporter</name>
    <message>
        <source>无法绘制水印：程序没有图形环境</source>
        <translation>Cannot draw the timestamp: no graphics environment</translation>
    </message>
    <message>
        <source>无法读取源视频 </source>
        <translation>Could not read the source video </translation>
    </message>
    <message>
        <source>导出选区无效</source>
        <translation>The export range is not valid</translation>
    </message>
    <message>
        <source>无法写入文件 </source>
        <translation>Could not write the file </translation>
    </message>
    <message>
        <source>没有可导出的视频片段</source>
        <translation>There is no footage to export</translation>
    </message>
    <message>
        <source>没有可导出的四宫格视频</source>
        <translation>There is no grid video to export</translation>
    </message>
    <message>
        <source>源视频不完整或已损坏，只导出了可读取的 %1 秒</source>
        <translation>The source video is incomplete or damaged; only the %1 s that could be read were exported</translation>
    </message>
    <message>
        <source>无法处理视频</source>
        <translation>Could not process the video</translation>
    </message>
    <message>
        <source>已有同名的导出清单，请换一个文件名：</source>
        <translation>An export manifest of that name exists already; choose another file name: </translation>
    </message>
    <message>
        <source>目标位置空间不足：需要约 %1，只剩 %2</source>
        <translation>Not enough space at the destination: about %1 is needed, only %2 is left</translation>
    </message>
</context>
<context>
    <name>HardwareDecoding</name>
    <message>
        <source>VA-API 硬件解码</source>
        <translation>VA-API hardware decoding</translation>
    </message>
    <message>
        <source>软件解码</source>
        <translation>Software decoding</translation>
    </message>
    <message>
        <source>尚未播放视频</source>
        <translation>No video played yet</translation>
    </message>
</context>
<context>
    <name>IncidentReport</name>
    <message>
        <source>不是行车记录事件文件夹：</source>
        <translation>Not a dashcam event folder: </translation>
    </message>
    <message>
        <source>事件中没有视频：</source>
        <translation>The event holds no video: </translation>
    </message>
    <message>
        <source>事故报告</source>
        <translation>Incident report</translation>
    </message>
    <message>
        <source>事件时间（本地）</source>
        <translation>Event time (local)</translation>
    </message>
    <message>
        <source>事件时间（UTC）</source>
        <translation>Event time (UTC)</translation>
    </message>
    <message>
        <source>地点</source>
        <translation>Place</translation>
    </message>
    <message>
        <source>未记录</source>
        <translation>Not recorded</translation>
    </message>
    <message>
        <source>原因</source>
        <translation>Reason</translation>
    </message>
    <message>
        <source>所选时刻（本地）</source>
        <translation>Chosen moment (local)</translation>
    </message>
    <message>
        <source>所选时刻（UTC）</source>
        <translation>Chosen moment (UTC)</translation>
    </message>
    <message>
        <source>无法读取画面</source>
        <translation>Picture cannot be read</translation>
    </message>
    <message>
        <source>双闪</source>
        <translation>Hazard lights</translation>
    </message>
    <message>
        <source>左</source>
        <translation>Left</translation>
    </message>
    <message>
        <source>右</source>
        <translation>Right</translation>
    </message>
    <message>
        <source>关</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>该时刻的行车记录</source>
        <translation>The car&apos;s record at that moment</translation>
    </message>
    <message>
        <source>该时刻没有行车记录</source>
        <translation>No driving record at that moment</translation>
    </message>
    <message>
        <source>速度</source>
        <translation>Speed</translation>
    </message>
    <message>
        <source>挡位</source>
        <translation>Gear</translation>
    </message>
    <message>
        <source>加速踏板</source>
        <translation>Accelerator</translation>
    </message>
    <message>
        <source>制动</source>
        <translation>Brake</translation>
    </message>
    <message>
        <source>踩下</source>
        <translation>Applied</translation>
    </message>
    <message>
        <source>未踩</source>
        <translation>Released</translation>
    </message>
    <message>
        <source>转向灯</source>
        <translation>Turn signals</translation>
    </message>
    <message>
        <source>方向盘转角</source>
        <translation>Steering angle</translation>
    </message>
    <message>
        <source>驾驶辅助</source>
        <translation>Driver assistance</translation>
    </message>
    <message>
        <source>开启</source>
        <translation>On</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>速度与加速度（前后 15 秒）</source>
        <translation>Speed and acceleration (15 s either side)</translation>
    </message>
    <message>
        <source>蓝：速度（最高 %1 %2） 橙：加速度（±10 m/s²） 红：急刹车</source>
        <translation>Blue: speed (top %1 %2)  Orange: acceleration (±10 m/s²)  Red: hard braking</translation>
    </message>
    <message>
        <source>路线</source>
        <translation>Route</translation>
    </message>
    <message>
        <source>源文件及其 SHA-256</source>
        <translation>Source files and their SHA-256</translation>
    </message>
    <message>
        <source>字节</source>
        <translation>bytes</translation>
    </message>
    <message>
        <source>无法写入报告：</source>
        <translation>Could not write the report: </translation>
    </message>
</context>
<context>
    <name>JumpToDayButton</name>
    <message>
        <source>跳到日期</source>
        <translation>Jump to a day</translation>
    </message>
</context>
<context>
    <name>KeyService</name>
    <message>
        <source>没有 results 列表</source>
        <translation>no results list</translation>
    </message>
    <message>
        <source>密钥服务没有答复这个文件</source>
        <translation>the key service said nothing about this file</translation>
    </message>
    <message>
        <source>令牌只发往 HTTPS 地址或本机: </source>
        <translation>the token is sent only to an HTTPS address or to this computer: </translation>
    </message>
</context>
<context>
    <name>KeyServiceError</name>
    <message>
        <source>密钥服务在 %1 秒内没有应答，请稍后重试</source>
        <translation>The key service did not answer within %1 seconds. Please try again later</translation>
    </message>
    <message>
        <source>读取加密录像需要车主的令牌</source>
        <translation>Reading encrypted recordings needs the owner&apos;s token</translation>
    </message>
    <message>
        <source>密钥服务拒绝了令牌（无效或已过期），请重新获取令牌</source>
        <translation>The key service refused the token (invalid or expired). Please get a new token</translation>
    </message>
    <message>
        <source>无法连接密钥服务</source>
        <translation>Could not connect to the key service</translation>
    </message>
    <message>
        <source>密钥服务的应答无法识别</source>
        <translation>The key service&apos;s answer cannot be read</translation>
    </message>
    <message>
        <source>密钥服务拒绝提供这个文件的密钥</source>
        <translation>The key service refused the key of this file</translation>
    </message>
</context>
<context>
    <name>LanguageSetting</name>
    <message>
        <source>跟随系统</source>
        <translation>System</translation>
    </message>
</context>
<context>
    <name>LibraryColumns</name>
    <message>
        <source>片段类型</source>
        <translation>Clip type</translation>
    </message>
    <message>
        <source>请先在左侧选择 TeslaCam 文件夹</source>
        <translation>Choose a TeslaCam folder on the left</translation>
    </message>
    <message>
        <source>导入后会显示片段列表，选中视频后可预览播放</source>
        <translation>Its clips are listed here once imported; pick one to play it</translation>
    </message>
</context>
<context>
    <name>LibraryRules</name>
    <message>
        <source>最近回放</source>
        <translation>Recent footage</translation>
    </message>
    <message>
        <source>当前摄像头无匹配视频</source>
        <translation>No video from this camera</translation>
    </message>
    <message>
        <source>输出位置：系统相册</source>
        <translation>Saving to: Pictures</translation>
    </message>
    <message>
        <source>输出目录: </source>
        <translation>Output folder: </translation>
    </message>
    <message>
        <source>系统相册</source>
        <translation>Pictures</translation>
    </message>
    <message>
        <source>打开输出目录</source>
        <translation>Open Output Folder</translation>
    </message>
    <message>
        <source>打开相册</source>
        <translation>Open Pictures</translation>
    </message>
    <message>
        <source>选择 TeslaCam 文件夹开始</source>
        <translation>Choose a TeslaCam folder to begin</translation>
    </message>
    <message>
        <source>请选择文件夹，而不是单个视频文件。</source>
        <translation>Choose a folder, not a single video file.</translation>
    </message>
    <message>
        <source>请选择 TeslaCam 根目录，不要选择 RecentClips、SentryClips、SavedClips 或其中的片段文件夹。</source>
        <translation>Choose the TeslaCam folder itself, not RecentClips, SentryClips, SavedClips or a clip folder inside them.</translation>
    </message>
    <message>
        <source>未识别为 TeslaCam 文件夹，请选择包含 RecentClips、SentryClips、SavedClips 的根目录。</source>
        <translation>This is not a TeslaCam folder. Choose the folder that holds RecentClips, SentryClips and SavedClips.</translation>
    </message>
    <message>
        <source>所选文件夹中没有找到视频片段，请重新选择正确的 TeslaCam 文件夹。</source>
        <translation>No clips were found in this folder. Choose the right TeslaCam folder.</translation>
    </message>
    <message>
        <source>导入失败</source>
        <translation>Import failed</translation>
    </message>
    <message>
        <source>加载片段失败</source>
        <translation>Could not load the clip</translation>
    </message>
    <message numerus="yes">
        <source>已扫描 %n 个片段，请选择要处理的录像</source>
        <translation>
            <numerusform>Found %n clip. Choose a recording.</numerusform>
            <numerusform>Found %n clips. Choose a recording.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 个视频</source>
        <translation>
            <numerusform>%n video</numerusform>
            <numerusform>%n videos</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>已将 %1的 %n 个源视频移到废纸篓</source>
        <translation>
            <numerusform>Moved %n video of %1 to the Trash</numerusform>
            <numerusform>Moved %n videos of %1 to the Trash</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 个片段</source>
        <translation>
            <numerusform>%n clip</numerusform>
            <numerusform>%n clips</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>LibrarySidebar</name>
    <message>
        <source>侧边栏</source>
        <translation>Sidebar</translation>
    </message>
    <message>
        <source>导入</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>选择 TeslaCam 文件夹</source>
        <translation>Choose TeslaCam Folder</translation>
    </message>
    <message>
        <source>导出</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>清晰度</source>
        <translation>Quality</translation>
    </message>
    <message>
        <source>输出</source>
        <translation>Output</translation>
    </message>
    <message>
        <source>输出位置</source>
        <translation>Output location</translation>
    </message>
    <message>
        <source>更改目录</source>
        <translation>Change Folder</translation>
    </message>
    <message>
        <source>仪表盘</source>
        <translation>Dashboard</translation>
    </message>
    <message>
        <source>速度单位</source>
        <translation>Speed unit</translation>
    </message>
    <message>
        <source>语言</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>重新启动 Orvane 后生效</source>
        <translation>Takes effect when Orvane restarts</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>叠加仪表盘</source>
        <translation>Dashboard Overlay</translation>
    </message>
    <message>
        <source>事故报告</source>
        <translation>Incident report</translation>
    </message>
    <message>
        <source>事故报告中的位置</source>
        <translation>Place in incident reports</translation>
    </message>
    <message>
        <source>延时倍速</source>
        <translation>Timelapse</translation>
    </message>
    <message>
        <source>叠加地图</source>
        <translation>Map Overlay</translation>
    </message>
</context>
<context>
    <name>LibraryText</name>
    <message>
        <source>删除（%1）</source>
        <translation>Delete (%1)</translation>
    </message>
    <message>
        <source>暂无%1视频</source>
        <translation>No %1 videos</translation>
    </message>
    <message numerus="yes">
        <source>共 %n 个视频片段</source>
        <translation>
            <numerusform>%n clip</numerusform>
            <numerusform>%n clips</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>将删除选中的 %n 个片段及其所有机位源视频，文件会移到废纸篓。其他片段不会受到影响。</source>
        <translation>
            <numerusform>The selected clip and the videos of all its cameras will be moved to the Trash. Other clips are not affected.</numerusform>
            <numerusform>The %n selected clips and the videos of all their cameras will be moved to the Trash. Other clips are not affected.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>正在将选中的 %n 个片段移到废纸篓</source>
        <translation>
            <numerusform>Moving the selected clip to the Trash</numerusform>
            <numerusform>Moving the %n selected clips to the Trash</numerusform>
        </translation>
    </message>
    <message>
        <source>没有符合“%1”的片段</source>
        <translation>No events match “%1”</translation>
    </message>
</context>
<context>
    <name>MarksFilterButton</name>
    <message>
        <source>筛选（%1）</source>
        <translation>Filter (%1)</translation>
    </message>
    <message>
        <source>筛选</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>有急刹车</source>
        <translation>Hard braking</translation>
    </message>
    <message>
        <source>加密录像</source>
        <translation>Encrypted footage</translation>
    </message>
    <message>
        <source>显示全部</source>
        <translation>Show all</translation>
    </message>
</context>
<context>
    <name>MediaError</name>
    <message>
        <source>读取文件出错: </source>
        <translation>Error reading the file: </translation>
    </message>
    <message>
        <source>文件不完整或已损坏</source>
        <translation>The file is incomplete or damaged</translation>
    </message>
</context>
<context>
    <name>MediaProbe</name>
    <message>
        <source>无法打开文件: </source>
        <translation>Could not open the file: </translation>
    </message>
</context>
<context>
    <name>MergeEditorController</name>
    <message>
        <source>拼接画面预览</source>
        <translation>Merge Preview</translation>
    </message>
    <message>
        <source>选择第 %1 段时段</source>
        <translation>Choose the Range of Clip %1</translation>
    </message>
    <message>
        <source>检查片段顺序和衔接效果，然后开始拼接</source>
        <translation>Check the order and the joins, then merge</translation>
    </message>
    <message>
        <source>拖动进度条定位画面，再记录开始和结束位置</source>
        <translation>Drag the slider to a frame, then set the start and end</translation>
    </message>
    <message>
        <source>开始拼接</source>
        <translation>Merge</translation>
    </message>
    <message>
        <source>下一段</source>
        <translation>Next Clip</translation>
    </message>
    <message>
        <source>查看拼接预览</source>
        <translation>Preview Merge</translation>
    </message>
    <message>
        <source>开始 %1</source>
        <translation>Start %1</translation>
    </message>
    <message>
        <source>结束 %1</source>
        <translation>End %1</translation>
    </message>
    <message>
        <source>保留 %1</source>
        <translation>Keep %1</translation>
    </message>
    <message>
        <source>片段 %1</source>
        <translation>Clip %1</translation>
    </message>
    <message>
        <source>%1 · 保留 %2</source>
        <translation>%1 · keep %2</translation>
    </message>
    <message numerus="yes">
        <source>%n 段 · 成品约 %1</source>
        <translation>
            <numerusform>%n clip · about %1 in all</numerusform>
            <numerusform>%n clips · about %1 in all</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>MergeEditorHeader</name>
    <message>
        <source>返回</source>
        <translation>Back</translation>
    </message>
</context>
<context>
    <name>MergePlaybackBar</name>
    <message>
        <source>暂停</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>播放</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>拼接预览位置</source>
        <translation>Merge preview position</translation>
    </message>
    <message>
        <source>片段位置</source>
        <translation>Clip position</translation>
    </message>
</context>
<context>
    <name>MergePreviewPanel</name>
    <message>
        <source>拼接预览画面</source>
        <translation>Merge preview picture</translation>
    </message>
    <message>
        <source>暂无可预览片段</source>
        <translation>No clip to preview</translation>
    </message>
</context>
<context>
    <name>MergeReviewList</name>
    <message>
        <source>上移%1</source>
        <translation>Move %1 up</translation>
    </message>
    <message>
        <source>下移%1</source>
        <translation>Move %1 down</translation>
    </message>
</context>
<context>
    <name>MergeRules</name>
    <message>
        <source>所选视频中至少有两个没有 %1 画面，请更换机位后重试</source>
        <translation>At least two of the chosen videos have no %1 camera. Choose another camera and try again.</translation>
    </message>
    <message>
        <source>所选片段缺少 %1 画面，请更换机位后重试</source>
        <translation>The chosen clips lack the %1 camera. Choose another camera and try again.</translation>
    </message>
    <message>
        <source>所选片段中有视频缺少 %1 画面</source>
        <translation>Some of the chosen clips lack the %1 camera</translation>
    </message>
    <message>
        <source>请至少选择两个需要拼接的视频</source>
        <translation>Choose at least two videos to merge</translation>
    </message>
    <message>
        <source>请至少选择两个需要拼接的片段</source>
        <translation>Choose at least two clips to merge</translation>
    </message>
    <message>
        <source>选中的片段已变化，请重新选择</source>
        <translation>The chosen clips have changed. Choose them again.</translation>
    </message>
</context>
<context>
    <name>MergeSelectionControls</name>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>拼接</source>
        <translation>Merge</translation>
    </message>
</context>
<context>
    <name>MergeViewModel</name>
    <message>
        <source>下一步（%1）</source>
        <translation>Next (%1)</translation>
    </message>
</context>
<context>
    <name>MetadataParserError</name>
    <message>
        <source>无法读取目录: </source>
        <translation>Could not read the folder: </translation>
    </message>
    <message>
        <source>无法从文件名解析时间: </source>
        <translation>No time could be read from the file name: </translation>
    </message>
</context>
<context>
    <name>NoVideoNote</name>
    <message>
        <source>该机位没有视频</source>
        <translation>No video from this camera</translation>
    </message>
</context>
<context>
    <name>PhotosLibraryExporter</name>
    <message>
        <source>文件不存在: </source>
        <translation>The file does not exist: </translation>
    </message>
</context>
<context>
    <name>PreviewController</name>
    <message>
        <source>无法继续读取录像，存储设备可能已断开：%1</source>
        <translation>The footage can no longer be read; the drive may have been disconnected: %1</translation>
    </message>
    <message>
        <source>这段录像提前结束：%1</source>
        <translation>This footage ends early: %1</translation>
    </message>
    <message>
        <source>没有可播放的画面</source>
        <translation>no pictures to play</translation>
    </message>
    <message>
        <source>无法读取 %1 的录像（%2），已跳到下一段</source>
        <translation>Could not read the footage of %1 (%2); playback went on with the next minute</translation>
    </message>
</context>
<context>
    <name>PreviewPageController</name>
    <message>
        <source>事件时刻不在这些录像的时间范围内</source>
        <translation>The event time is outside these recordings</translation>
    </message>
    <message>
        <source>视频预览</source>
        <translation>Video Preview</translation>
    </message>
    <message>
        <source>无法读取该机位的视频</source>
        <translation>Cannot read this camera&apos;s video</translation>
    </message>
    <message>
        <source>无法读取这一分钟的视频</source>
        <translation>Cannot read this minute&apos;s video</translation>
    </message>
    <message>
        <source>视频在 %1 处中断</source>
        <translation>The video breaks off at %1</translation>
    </message>
    <message>
        <source>事件时刻 %1</source>
        <translation>Event at %1</translation>
    </message>
</context>
<context>
    <name>PreviewRangeSection</name>
    <message>
        <source>开始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>结束</source>
        <translation>End</translation>
    </message>
    <message>
        <source>记录%1时间</source>
        <translation>Set %1</translation>
    </message>
    <message>
        <source>重新记录%1时间</source>
        <translation>Set %1 again</translation>
    </message>
</context>
<context>
    <name>PreviewSegmentList</name>
    <message>
        <source>点击片段播放，或多选片段拼接</source>
        <translation>Click a minute to play it, or pick several to merge</translation>
    </message>
    <message>
        <source>选择两个或更多片段进行拼接</source>
        <translation>Pick two or more minutes to merge</translation>
    </message>
    <message>
        <source>已选 %1 段</source>
        <translation>%1 picked</translation>
    </message>
</context>
<context>
    <name>PreviewTransport</name>
    <message>
        <source>后退 5</source>
        <translation>Back 5</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>播放</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>前进 5</source>
        <translation>Forward 5</translation>
    </message>
    <message>
        <source>导出</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>导出行车数据</source>
        <translation>Export Driving Data</translation>
    </message>
    <message>
        <source>保存解密副本</source>
        <translation>Save Decrypted Copies</translation>
    </message>
</context>
<context>
    <name>PreviewVideoArea</name>
    <message>
        <source>视频画面</source>
        <translation>Video</translation>
    </message>
    <message>
        <source>正在载入视频…</source>
        <translation>Loading video…</translation>
    </message>
    <message>
        <source>解锁加密录像</source>
        <translation>Unlock Encrypted Footage</translation>
    </message>
</context>
<context>
    <name>PreviewViewModel</name>
    <message>
        <source>视频尚未准备好，请稍后再试</source>
        <translation>The video is not ready yet. Try again in a moment.</translation>
    </message>
    <message>
        <source>结束点必须晚于开始点</source>
        <translation>The end must come after the start</translation>
    </message>
    <message>
        <source>，原结束点已清除</source>
        <translation>; the earlier end was cleared</translation>
    </message>
    <message>
        <source>已设置开始点 %1</source>
        <translation>Start set at %1</translation>
    </message>
    <message>
        <source>已设置结束点 %1</source>
        <translation>End set at %1</translation>
    </message>
</context>
<context>
    <name>RateMenuButton</name>
    <message>
        <source>播放速度 %1</source>
        <translation>Playback speed %1</translation>
    </message>
</context>
<context>
    <name>ReadableFootage</name>
    <message>
        <source>录像在第 %1 秒中断</source>
        <translation>The recording breaks off after %1 s</translation>
    </message>
    <message>
        <source>所选的录像都无法读取</source>
        <translation>None of the chosen footage can be read</translation>
    </message>
</context>
<context>
    <name>ReasonFilter</name>
    <message>
        <source>全部原因</source>
        <translation>All reasons</translation>
    </message>
    <message>
        <source>未记录原因</source>
        <translation>No reason recorded</translation>
    </message>
</context>
<context>
    <name>ReasonFilterButton</name>
    <message>
        <source>按保存原因筛选：%1</source>
        <translation>Filter by reason: %1</translation>
    </message>
    <message numerus="yes">
        <source>%1，%n 个</source>
        <translation>
            <numerusform>%1, %n clip</numerusform>
            <numerusform>%1, %n clips</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ReasonFilterEmptyState</name>
    <message>
        <source>该分类中没有因这个原因保存的片段。</source>
        <translation>No event in this category was saved for this reason.</translation>
    </message>
    <message>
        <source>显示全部原因</source>
        <translation>Show all reasons</translation>
    </message>
</context>
<context>
    <name>RegularFile</name>
    <message>
        <source>不是普通文件</source>
        <translation>not a regular file</translation>
    </message>
</context>
<context>
    <name>ReportMenuButton</name>
    <message>
        <source>生成事故报告</source>
        <translation>Write incident report</translation>
    </message>
    <message>
        <source>事件时刻的报告</source>
        <translation>Report at the event&apos;s moment</translation>
    </message>
    <message>
        <source>当前画面时刻的报告</source>
        <translation>Report at the frame on screen</translation>
    </message>
</context>
<context>
    <name>RouteMapPanel</name>
    <message>
        <source>路线地图</source>
        <translation>Route map</translation>
    </message>
    <message>
        <source>放大</source>
        <translation>Zoom in</translation>
    </message>
    <message>
        <source>缩小</source>
        <translation>Zoom out</translation>
    </message>
    <message>
        <source>适合路线</source>
        <translation>Fit route</translation>
    </message>
    <message>
        <source>离线：只显示已缓存的地图</source>
        <translation>Offline: cached map only</translation>
    </message>
</context>
<context>
    <name>SegmentStrip</name>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>下一步</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>多选片段拼接</source>
        <translation>Pick minutes to merge</translation>
    </message>
    <message>
        <source>，</source>
        <translation>, </translation>
    </message>
</context>
<context>
    <name>SpeedReadout</name>
    <message>
        <source>辅助驾驶</source>
        <translation>Autopilot</translation>
    </message>
</context>
<context>
    <name>Spinner</name>
    <message>
        <source>正在加载</source>
        <translation>Loading</translation>
    </message>
</context>
<context>
    <name>TeslaClipEvent</name>
    <message>
        <source>%1～%2</source>
        <translation>%1–%2</translation>
    </message>
</context>
<context>
    <name>TeslaDashboardView</name>
    <message>
        <source>仪表盘</source>
        <translation>Dashboard</translation>
    </message>
    <message>
        <source>档位</source>
        <translation>Gear</translation>
    </message>
    <message>
        <source>档位 %1</source>
        <translation>Gear %1</translation>
    </message>
    <message>
        <source>方向盘</source>
        <translation>Steering</translation>
    </message>
    <message>
        <source>方向盘 %1°</source>
        <translation>Steering %1°</translation>
    </message>
    <message>
        <source>此视频无遥测数据</source>
        <translation>This video has no driving data</translation>
    </message>
</context>
<context>
    <name>TeslaTelemetryReaderError</name>
    <message>
        <source>无法读取文件 %1: %2</source>
        <translation>Could not read the file %1: %2</translation>
    </message>
    <message>
        <source>文件已损坏或不是有效的 MP4 文件: </source>
        <translation>The file is damaged or not a valid MP4 file: </translation>
    </message>
</context>
<context>
    <name>TimeSlider</name>
    <message>
        <source>播放位置</source>
        <translation>Playback position</translation>
    </message>
</context>
<context>
    <name>TurnSignalGlyph</name>
    <message>
        <source>左转向灯亮</source>
        <translation>Left turn signal on</translation>
    </message>
    <message>
        <source>左转向灯灭</source>
        <translation>Left turn signal off</translation>
    </message>
    <message>
        <source>右转向灯亮</source>
        <translation>Right turn signal on</translation>
    </message>
    <message>
        <source>右转向灯灭</source>
        <translation>Right turn signal off</translation>
    </message>
</context>
<context>
    <name>UiText</name>
    <message>
        <source>新版本 %1 可用（当前 %2）。</source>
        <translation>Version %1 is available (you have %2).</translation>
    </message>
    <message>
        <source>当前版本 %1 已是最新。</source>
        <translation>Version %1 is the latest.</translation>
    </message>
    <message>
        <source>视频解码：</source>
        <translation>Video decoding: </translation>
    </message>
    <message>
        <source>请用系统的软件包管理器更新 Orvane。</source>
        <translation>Update Orvane with the system&apos;s package manager.</translation>
    </message>
    <message>
        <source>视频编码：</source>
        <translation>Video encoding: </translation>
    </message>
    <message>
        <source>尚未导出</source>
        <translation>no export yet</translation>
    </message>
</context>
<context>
    <name>UnlockSheet</name>
    <message>
        <source>解锁加密录像</source>
        <translation>Unlock Encrypted Footage</translation>
    </message>
    <message>
        <source>这些录像由车辆加密（“加密行车记录仪录像”），解锁需要车主登录特斯拉行车记录仪网页后浏览器持有的令牌：
1. 在浏览器中打开 dashcam.tesla.com 并用车主账号登录。
2. 按 F12 打开开发者工具，切换到“网络”（Network），刷新网页。
3. 点开一个发往 dashcam.tesla.com/api 的请求，在请求标头中找到 Authorization，复制 “Bearer ” 之后的整段文字。
4. 粘贴到下面，点“解锁”。令牌只发给特斯拉的密钥服务，密钥只保存在内存中。</source>
        <translation>The car encrypted this footage (&quot;Encrypt Dashcam Recordings&quot;). Unlocking it needs the token your browser holds after the owner signs in to Tesla&apos;s dashcam page:
1. In a browser, open dashcam.tesla.com and sign in with the owner&apos;s account.
2. Press F12 to open the developer tools, switch to Network and reload the page.
3. Click a request to dashcam.tesla.com/api, find Authorization among its request headers and copy everything after &quot;Bearer &quot;.
4. Paste it below and click Unlock. The token is sent only to Tesla&apos;s key service; the keys stay in memory only.</translation>
    </message>
    <message>
        <source>粘贴令牌</source>
        <translation>Paste the token</translation>
    </message>
    <message>
        <source>令牌</source>
        <translation>Token</translation>
    </message>
    <message>
        <source>记住</source>
        <translation>Remember</translation>
    </message>
    <message>
        <source>好</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>解锁</source>
        <translation>Unlock</translation>
    </message>
</context>
<context>
    <name>UnlockViewModel</name>
    <message numerus="yes">
        <source>另有 %n 个文件未能解锁</source>
        <translation>
            <numerusform>%n more file could not be unlocked</numerusform>
            <numerusform>%n more files could not be unlocked</numerusform>
        </translation>
    </message>
    <message>
        <source>已解锁。没有可用的系统钥匙串，令牌只保留到程序退出。</source>
        <translation>Unlocked. No system keyring is available, so the token is kept only until Orvane quits.</translation>
    </message>
</context>
<context>
    <name>UpdateLoadingOverlay</name>
    <message>
        <source>更新完成后应用会自动重启</source>
        <translation>Orvane restarts by itself when the update is done</translation>
    </message>
</context>
<context>
    <name>VideoDecoder</name>
    <message>
        <source>文件中没有可播放的画面</source>
        <translation>The file holds no picture to play</translation>
    </message>
</context>
<context>
    <name>VideoExportPreparer</name>
    <message>
        <source>无法复制视频: </source>
        <translation>Could not copy the video: </translation>
    </message>
</context>
<context>
    <name>VideoMergeEditorView</name>
    <message>
        <source>正在准备拼接片段...</source>
        <translation>Preparing the clips to merge…</translation>
    </message>
</context>
<context>
    <name>VideoProblemNote</name>
    <message>
        <source>：</source>
        <translation>: </translation>
    </message>
</context>
<context>
    <name>WindowAlerts</name>
    <message>
        <source>删除选中的视频片段？</source>
        <translation>Delete the Selected Clips?</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>移到废纸篓</source>
        <translation>Move to Trash</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>打开系统设置</source>
        <translation>Open Settings</translation>
    </message>
    <message>
        <source>好</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>发现新版本</source>
        <translation>Update Available</translation>
    </message>
    <message>
        <source>稍后</source>
        <translation>Later</translation>
    </message>
    <message>
        <source>立即更新</source>
        <translation>Update Now</translation>
    </message>
    <message>
        <source>更新失败</source>
        <translation>Update Failed</translation>
    </message>
</context>
<context>
    <name>WindowText</name>
    <message>
        <source>收起侧边栏</source>
        <translation>Hide Sidebar</translation>
    </message>
    <message>
        <source>显示侧边栏</source>
        <translation>Show Sidebar</translation>
    </message>
    <message>
        <source>导出完成</source>
        <translation>Export Complete</translation>
    </message>
    <message>
        <source>不叠加</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>叠加</source>
        <translation>On</translation>
    </message>
    <message>
        <source>写入位置</source>
        <translation>Include place</translation>
    </message>
    <message>
        <source>隐去位置</source>
        <translation>Hide place</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Orvane：浏览、播放和导出 TeslaCam 行车记录</source>
        <translation>Orvane: browse, play and export TeslaCam recordings</translation>
    </message>
    <message>
        <source>结束正在运行的 Orvane 并取代它</source>
        <translation>End the running Orvane and take its place</translation>
    </message>
    <message>
        <source>启动时导入的 TeslaCam 文件夹</source>
        <translation>TeslaCam folders to import at start</translation>
    </message>
</context>
<context>
    <name>orvane::MarksFilter</name>
    <message>
        <source>正在查找急刹车… %1/%2</source>
        <translation>Looking for hard braking… %1/%2</translation>
    </message>
    <message>
        <source>正在查找急刹车…</source>
        <translation>Looking for hard braking…</translation>
    </message>
    <message>
        <source>没有符合筛选条件的视频片段</source>
        <translation>No clips match the filter</translation>
    </message>
    <message numerus="yes">
        <source>另有 %n 个加密片段尚未解锁，无法读取其中的急刹车记录</source>
        <translation>
            <numerusform>%n more encrypted clip is locked: its braking record cannot be read</numerusform>
            <numerusform>%n more encrypted clips are locked: their braking records cannot be read</numerusform>
        </translation>
    </message>
    <message>
        <source>可在“筛选”菜单中更改条件</source>
        <translation>Change the marks in the “Filter” menu</translation>
    </message>
</context>
<context>
    <name>orvane::PreviewPageController</name>
    <message>
        <source>行车数据已导出：</source>
        <translation>Driving data exported: </translation>
    </message>
</context>
</TS>
